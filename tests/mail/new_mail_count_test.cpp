// New mail told by unique ids: what counts as new, and the seen set a pass leaves.
#include "mail/new_mail_count.h"

#include <gtest/gtest.h>

namespace {

using mail::SeenIds;
using mail::UniqueIdList;

TEST(NewMailCount, IdsNotSeenBeforeAreNew) {
  struct Case {
    const char* name;
    UniqueIdList ids;
    SeenIds seen;
    std::uint32_t fresh;
  } cases[] = {
      {"first pass: everything", {{1, "a"}, {2, "b"}}, {}, 2},
      {"nothing changed", {{1, "a"}, {2, "b"}}, {"a", "b"}, 0},
      {"one arrived", {{1, "a"}, {2, "b"}, {3, "c"}}, {"a", "b"}, 1},
      {"one deleted elsewhere, one arrived", {{1, "b"}, {2, "c"}}, {"a", "b"}, 1},
      {"renumbered but known", {{1, "b"}, {2, "a"}}, {"a", "b"}, 0},
      {"empty mailbox", {}, {"a"}, 0},
      {"an id the server lists twice counts once", {{1, "a"}, {2, "a"}}, {}, 1},
  };
  for (const Case& c : cases) EXPECT_EQ(mail::CountUnseen(c.ids, c.seen), c.fresh) << c.name;
}

TEST(NewMailCount, SeenSetBecomesExactlyTheCurrentIds) {
  EXPECT_EQ(mail::SeenAfterPass({{1, "b"}, {2, "c"}}), (SeenIds{"b", "c"}));
  EXPECT_EQ(mail::SeenAfterPass({}), SeenIds{});
}

TEST(NewMailCount, OnlyTheFirstIdOfEachCountedMessageIsKept) {
  struct Case {
    const char* name;
    UniqueIdList ids;
    std::uint32_t msgCount;
    UniqueIdList kept;
  } cases[] = {
      {"a well-behaved server", {{1, "a"}, {2, "b"}}, 2, {{1, "a"}, {2, "b"}}},
      {"numbers beyond STAT's count", {{1, "a"}, {2, "b"}, {1000000, "z"}}, 1, {{1, "a"}}},
      {"a number listed again", {{1, "a"}, {1, "b"}, {2, "c"}, {1, "d"}}, 2, {{1, "a"}, {2, "c"}}},
      {"an empty mailbox keeps nothing", {{1, "a"}}, 0, {}},
  };
  for (const Case& c : cases) EXPECT_EQ(mail::IdsOfMailbox(c.ids, c.msgCount), c.kept) << c.name;
}

TEST(NewMailCount, AnEmptyListCoversOnlyAnEmptyMailbox) {
  EXPECT_TRUE(mail::IdsCoverMailbox({}, 0));
  EXPECT_FALSE(mail::IdsCoverMailbox({}, 3));
  EXPECT_TRUE(mail::IdsCoverMailbox({{1, "a"}}, 1));
}

}  // namespace
