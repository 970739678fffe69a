// The cache of one pass's messages on its own: what it takes from the list,
// by which key, and what it leaves behind; and the messages of a put-off
// account held through a pass.
#include "app/pass/message_cache.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/pass/held_messages.h"

#include "tests/mail/fake_mime_database.h"

namespace {

using app::MessageCache;

class MessageCacheTest : public ::testing::Test {
 protected:
  // Adds a message with `subject` to the list and records it under `id` when one is given.
  void Add(const std::string& subject, const std::string& id, std::uint64_t account = 1) {
    auto message = std::make_unique<mail::TKelMsg>(mime_);
    message->Subject = subject;
    message->AccountId = account;
    message->TopHeaders = "Subject: " + subject + "\r\n\r\n.\r\n";
    const mail::TKelMsg& added = list_.Items(list_.Add(std::move(message)));
    if (!id.empty()) cache_.Record(added, Key(id), "error of " + subject);
  }

  std::vector<std::string> Subjects() const {
    std::vector<std::string> subjects;
    for (std::size_t i = 0; i < list_.Count(); ++i) subjects.push_back(list_.Items(i).Subject);
    return subjects;
  }

  static MessageCache::Key Key(const std::string& id) { return {"pop.example.ru", "110", "bob", id}; }

  testsupport::FakeMimeDatabase mime_;
  mail::TKelMsgList list_;
  MessageCache cache_;
};

TEST_F(MessageCacheTest, RecordedMessagesMoveOutOfTheListWithTheirStamps) {
  Add("one", "id-1");
  Add("no id", "");
  Add("two", "id-2");
  cache_.KeepFrom(list_);
  EXPECT_EQ(list_.Count(), 0u);
  EXPECT_EQ(cache_.Size(), 2u);
  EXPECT_FALSE(cache_.Contains(Key("")));

  MessageCache::Entry two = cache_.Take(Key("id-2"));
  ASSERT_NE(two.Message, nullptr);
  EXPECT_EQ(two.Message->Subject, "two");
  EXPECT_EQ(two.Message->TopHeaders, "Subject: two\r\n\r\n.\r\n");
  EXPECT_EQ(two.ParseError, "error of two");
  EXPECT_FALSE(cache_.Contains(Key("id-2")));
  EXPECT_EQ(cache_.Take(Key("id-2")).Message, nullptr);
}

TEST_F(MessageCacheTest, TheKeyNamesTheAccountAsWellAsTheId) {
  Add("one", "id-1");
  cache_.KeepFrom(list_);
  const MessageCache::Key others[] = {{"pop.example.org", "110", "bob", "id-1"},
                                      {"pop.example.ru", "995", "bob", "id-1"},
                                      {"pop.example.ru", "110", "anna", "id-1"}};
  for (const MessageCache::Key& other : others) EXPECT_FALSE(cache_.Contains(other)) << other.Host << other.Port;
  EXPECT_TRUE(cache_.Contains(Key("id-1")));
}

TEST_F(MessageCacheTest, AMessageDeletedFromTheListIsNotKept) {
  Add("one", "id-1");
  Add("two", "id-2");
  list_.Delete(0);
  cache_.KeepFrom(list_);
  EXPECT_FALSE(cache_.Contains(Key("id-1")));
  EXPECT_TRUE(cache_.Contains(Key("id-2")));
}

TEST_F(MessageCacheTest, RecordsLastOnePassAndUnclaimedMessagesGo) {
  Add("one", "id-1");
  cache_.KeepFrom(list_);
  cache_.DropUnclaimed();
  EXPECT_EQ(cache_.Size(), 0u);
  Add("two", "id-2");
  cache_.Clear();
  cache_.KeepFrom(list_);
  EXPECT_EQ(cache_.Size(), 0u) << "a cleared cache forgets what it had recorded";
}

// A put-off account's messages come back in their order, recorded again, so
// the pass after takes them back by id like the rest.
TEST_F(MessageCacheTest, HeldMessagesComeBackInOrderAndStayRecorded) {
  Add("one", "id-1", 1);
  Add("other", "id-9", 2);
  Add("no id", "", 1);
  Add("two", "id-2", 1);
  app::HeldMessages held(list_, cache_, {1});
  cache_.KeepFrom(list_);
  EXPECT_EQ(cache_.Size(), 1u) << "only the visited account's message is in the cache";
  EXPECT_TRUE(held.Holds(1));
  EXPECT_FALSE(held.Holds(2));

  app::PassTally tally;
  held.PutBack(1, list_, cache_, tally);
  EXPECT_EQ(Subjects(), (std::vector<std::string>{"one", "no id", "two"}));
  EXPECT_EQ(tally.unparsedCount, 2);
  EXPECT_EQ(tally.firstParseError.toStdString(), "error of one");
  held.PutBack(1, list_, cache_, tally);
  EXPECT_EQ(list_.Count(), 3u) << "put back once";

  cache_.KeepFrom(list_);
  EXPECT_TRUE(cache_.Contains(Key("id-1")));
  EXPECT_TRUE(cache_.Contains(Key("id-2")));
  EXPECT_EQ(cache_.Take(Key("id-2")).ParseError, "error of two");
}

}  // namespace
