// The message and the message list: defaults, copies of line lists, order,
// index checks, and which messages Delete and Clear destroy.
#include "mail/message.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <limits>
#include <new>
#include <utility>

#include "tests/mail/fake_mime_database.h"

namespace {

// The test's own tally of freed memory: the global operator delete below marks a
// watched address when it comes back, so a test sees which messages were destroyed.
struct FreedTally {
  std::array<const void*, 16> addresses{};
  std::array<bool, 16> freed{};
  std::size_t count = 0;

  std::size_t Watch(const void* address) {
    addresses.at(count) = address;
    freed.at(count) = false;
    return count++;
  }
  void Note(const void* address) {
    for (std::size_t i = 0; i < count; ++i)
      if (addresses[i] == address) freed[i] = true;
  }
};

FreedTally tally;

}  // namespace

// Both replaced together so that allocation and release stay one pair for any checker.
void* operator new(std::size_t size) {
  if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
  throw std::bad_alloc();
}
void operator delete(void* memory) noexcept {
  tally.Note(memory);
  std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
  tally.Note(memory);
  std::free(memory);
}

namespace {

using mail::Lines;
using mail::TKelMsg;
using mail::TKelMsgList;
using mail::TPriority;
using testsupport::FakeMimeDatabase;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

TEST(Message, NewMessageHasItsDefaults) {
  static_assert(static_cast<int>(TPriority::prNormal) == 2);
  FakeMimeDatabase mime;
  const TKelMsg message(mime);
  EXPECT_EQ(message.Priority, TPriority::prNormal);
  EXPECT_EQ(message.AttachedFiles.Count(), 0u);
  EXPECT_THAT(message.Text, IsEmpty());
  EXPECT_THAT(message.ExtraHeaders, IsEmpty());
  EXPECT_FALSE(message.Headers.has_value());
  for (const std::string* field : {&message.AccountHost, &message.AccountUserId, &message.AccountPasswd,
                                   &message.TopHeaders, &message.Charset, &message.UserName, &message.From,
                                   &message.MessageId, &message.InReplyTo, &message.ReturnPath, &message.ReplyTo,
                                   &message.SendTo, &message.CC, &message.Date, &message.Subject,
                                   &message.ContentType})
    EXPECT_THAT(*field, IsEmpty());
}

TEST(Message, AssignedLinesAreCopies) {
  struct Case {
    const char* name;
    Lines TKelMsg::*field;
  } cases[] = {
      {"Text", &TKelMsg::Text},
      {"ExtraHeaders", &TKelMsg::ExtraHeaders},
  };
  FakeMimeDatabase mime;
  for (const auto& c : cases) {
    TKelMsg message(mime);
    Lines source = {"first", "second"};
    message.*c.field = source;
    source[0] = "changed";
    source.push_back("added");
    EXPECT_THAT(message.*c.field, ElementsAre("first", "second")) << c.name;
  }
}

class MessageList : public ::testing::Test {
 protected:
  void SetUp() override { tally = {}; }

  // Fills the list anew with messages whose Subject is their number from 0, each
  // watched for being freed.
  void Fill(std::size_t count) {
    list_.Clear();
    tally = {};
    for (std::size_t i = 0; i < count; ++i) {
      auto message = std::make_unique<TKelMsg>(mime_);
      message->Subject = std::to_string(i);
      ASSERT_EQ(tally.Watch(message.get()), i);
      ASSERT_EQ(list_.Add(std::move(message)), i);
    }
  }

  std::vector<std::string> Subjects() const {
    std::vector<std::string> subjects;
    for (std::size_t i = 0; i < list_.Count(); ++i) subjects.push_back(list_.Items(i).Subject);
    return subjects;
  }

  std::vector<bool> Freed(std::size_t count) const {
    return std::vector<bool>(tally.freed.begin(), tally.freed.begin() + static_cast<std::ptrdiff_t>(count));
  }

  FakeMimeDatabase mime_;
  TKelMsgList list_;
};

TEST_F(MessageList, AddKeepsTheGivenMessagesInOrder) {
  auto message = std::make_unique<TKelMsg>(mime_);
  const TKelMsg* given = message.get();
  EXPECT_EQ(list_.Add(std::move(message)), 0u);
  EXPECT_EQ(&list_.Items(0), given);
  Fill(3);
  EXPECT_EQ(list_.Count(), 3u);
  EXPECT_THAT(Subjects(), ElementsAre("0", "1", "2"));
  EXPECT_THAT(Freed(3), ElementsAre(false, false, false));
}

TEST_F(MessageList, AddRefusesNoMessage) {
  Fill(1);
  EXPECT_THROW(list_.Add(nullptr), std::invalid_argument);
  EXPECT_EQ(list_.Count(), 1u);
}

TEST_F(MessageList, IndexOutsideTheListRaises) {
  struct Case {
    const char* name;
    std::size_t count;
    std::size_t index;
  } cases[] = {
      {"empty list", 0, 0},
      {"one past the end", 3, 3},
      {"far beyond", 3, std::numeric_limits<std::size_t>::max()},
  };
  for (const auto& c : cases) {
    Fill(c.count);
    EXPECT_THROW(list_.Items(c.index), std::out_of_range) << c.name;
    EXPECT_THROW(std::as_const(list_).Items(c.index), std::out_of_range) << c.name;
    EXPECT_THROW(list_.Delete(c.index), std::out_of_range) << c.name;
    EXPECT_EQ(list_.Count(), c.count) << c.name;
  }
}

TEST_F(MessageList, DeleteDestroysOneMessageAndMovesTheLaterOnesDown) {
  struct Case {
    const char* name;
    std::size_t index;
    std::vector<std::string> remaining;
    std::vector<bool> freed;
  } cases[] = {
      {"last", 3, {"0", "1", "2"}, {false, false, false, true}},
      {"first", 0, {"1", "2", "3"}, {true, false, false, false}},
      {"middle", 1, {"0", "2", "3"}, {false, true, false, false}},
  };
  for (const auto& c : cases) {
    Fill(4);
    list_.Delete(c.index);
    EXPECT_THAT(Subjects(), ElementsAreArray(c.remaining)) << c.name;
    EXPECT_THAT(Freed(4), ElementsAreArray(c.freed)) << c.name;
  }
}

TEST_F(MessageList, ClearDestroysEveryMessage) {
  list_.Clear();
  EXPECT_EQ(list_.Count(), 0u);
  Fill(3);
  list_.Clear();
  EXPECT_EQ(list_.Count(), 0u);
  EXPECT_THAT(Freed(3), ElementsAre(true, true, true));
  EXPECT_EQ(list_.Add(std::make_unique<TKelMsg>(mime_)), 0u);
}

TEST_F(MessageList, DestroyingTheListDestroysItsMessages) {
  {
    TKelMsgList list;
    for (int i = 0; i < 2; ++i) {
      auto message = std::make_unique<TKelMsg>(mime_);
      tally.Watch(message.get());
      list.Add(std::move(message));
    }
    EXPECT_THAT(Freed(2), ElementsAre(false, false));
  }
  EXPECT_THAT(Freed(2), ElementsAre(true, true));
}

}  // namespace
