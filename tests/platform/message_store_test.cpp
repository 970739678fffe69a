// The message store on disk: what is read is what was written, an entry that
// is damaged or of another version is never trusted, a killed writer leaves
// no half entry, and what the server no longer holds goes.
#include "platform/message_store.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>

#include "tests/support/temp_files.h"

namespace {

namespace fs = std::filesystem;
using platform::FileMessageStore;
using platform::StoredMessage;
using testsupport::Mode;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteText;

const platform::MailboxKey kMailbox{"pop.example.ru", 995, "bob"};

StoredMessage Message(const std::string& body) {
  return {"+OK\r\nSubject: s\r\n\r\n" + body + "\r\n.\r\n", "+OK\r\nSubject: s\r\n\r\n.\r\n",
          "listing of " + body.substr(0, 10)};
}

void ExpectSame(const std::optional<StoredMessage>& read, const StoredMessage& written) {
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(read->reply, written.reply);
  EXPECT_EQ(read->topHeaders, written.topHeaders);
  EXPECT_EQ(read->listing, written.listing);
}

TEST(MessageStore, WhatIsReadIsWhatWasWrittenInPrivateFiles) {
  TempDir base;
  FileMessageStore store((base.Path() / "messages").string());
  const StoredMessage message = Message(std::string(100000, 'x') + std::string("\r\n\0binary", 9));
  ASSERT_TRUE(store.Write(kMailbox, "uid-1", message));
  EXPECT_TRUE(store.Contains(kMailbox, "uid-1"));
  EXPECT_FALSE(store.Contains(kMailbox, "uid-2"));
  EXPECT_FALSE(store.Contains({"pop.example.ru", 110, "bob"}, "uid-1")) << "another port is another mailbox";
  ExpectSame(store.Read(kMailbox, "uid-1"), message);
  const std::optional<platform::StoredListing> listed = store.ReadListing(kMailbox, "uid-1");
  ASSERT_TRUE(listed.has_value());
  EXPECT_EQ(listed->listing, message.listing);
  EXPECT_EQ(listed->topHeaders, message.topHeaders);
  EXPECT_EQ(Mode(store.FileOf(kMailbox, "uid-1")), 0600u);
  EXPECT_EQ(Mode(fs::path(store.FileOf(kMailbox, "uid-1")).parent_path()), 0700u);
  EXPECT_EQ(Mode(base.Path() / "messages"), 0700u);
  EXPECT_FALSE(store.Write(kMailbox, "", message)) << "an empty id names nothing";
}

TEST(MessageStore, AnEntryThatIsNotWholeIsNeverTrusted) {
  struct Case {
    const char* name;
    std::function<std::string(std::string)> damage;
    bool looksWhole;   // by its header and size alone
    bool listedWhole;  // its listing and header block, the reply not read
  } cases[] = {
      {"a byte of the reply changed", [](std::string e) { e[e.size() - 4] ^= 1; return e; }, true, true},
      {"a byte of the listing changed", [](std::string e) { e[e.find("listing of")] ^= 1; return e; }, true, false},
      {"cut short", [](std::string e) { return e.substr(0, e.size() - 1); }, false, false},
      {"a byte too many", [](std::string e) { return e + "x"; }, false, false},
      {"another version", [](std::string e) { return e.replace(0, 17, "tessaro-message 1"); }, false, false},
      {"another id", [](std::string e) { e.replace(e.find("uid-1"), 5, "uid-9"); return e; }, false, false},
      {"no header", [](std::string) { return std::string("+OK\r\n.\r\n"); }, false, false},
      {"empty", [](std::string) { return std::string(); }, false, false},
  };
  for (const Case& c : cases) {
    TempDir base;
    FileMessageStore store(base.Path().string());
    ASSERT_TRUE(store.Write(kMailbox, "uid-1", Message("body")));
    const std::string path = store.FileOf(kMailbox, "uid-1");
    WriteText(path, c.damage(ReadFile(path)));
    EXPECT_EQ(store.Contains(kMailbox, "uid-1"), c.looksWhole) << c.name;
    EXPECT_EQ(store.ReadListing(kMailbox, "uid-1").has_value(), c.listedWhole) << c.name;
    EXPECT_FALSE(store.Read(kMailbox, "uid-1").has_value()) << c.name;
    if (c.looksWhole) {
      EXPECT_FALSE(fs::exists(path)) << c.name << ": a damaged entry is removed";
    }
  }
}

// A writer killed at any moment leaves entries that are whole or absent.
TEST(MessageStore, AKilledWriterLeavesNoHalfEntry) {
  TempDir base;
  const std::string folder = base.Path().string();
  const auto messageOf = [](int n) { return Message(std::string(256 * 1024, static_cast<char>('a' + n % 26))); };
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    FileMessageStore store(folder);
    for (int n = 0;; n = (n + 1) % 400) store.Write(kMailbox, "uid-" + std::to_string(n), messageOf(n));
  }
  ::usleep(200 * 1000);
  ::kill(child, SIGKILL);
  ASSERT_EQ(::waitpid(child, nullptr, 0), child);

  FileMessageStore store(folder);
  int whole = 0;
  for (int n = 0; n < 400; ++n) {
    const std::string uid = "uid-" + std::to_string(n);
    if (!store.Contains(kMailbox, uid)) continue;
    ExpectSame(store.Read(kMailbox, uid), messageOf(n));
    ++whole;
  }
  EXPECT_GT(whole, 0) << "the writer wrote nothing in its time";
  store.KeepOnly(kMailbox, {});
  EXPECT_TRUE(fs::is_empty(fs::path(store.FileOf(kMailbox, "uid-0")).parent_path()))
      << "what a killed writer left goes with the rest";
}

TEST(MessageStore, KeepOnlyRemovesTheRestOfTheMailboxAndClearRemovesAll) {
  TempDir base;
  FileMessageStore store((base.Path() / "messages").string());
  const platform::MailboxKey other{"pop.example.ru", 995, "anna"};
  for (const char* uid : {"a", "b", "c"}) ASSERT_TRUE(store.Write(kMailbox, uid, Message(uid)));
  ASSERT_TRUE(store.Write(other, "a", Message("anna's")));
  store.KeepOnly(kMailbox, {"b", "gone"});
  EXPECT_FALSE(store.Contains(kMailbox, "a"));
  EXPECT_TRUE(store.Contains(kMailbox, "b"));
  EXPECT_FALSE(store.Contains(kMailbox, "c"));
  EXPECT_TRUE(store.Contains(other, "a")) << "another mailbox is left alone";
  store.Clear();
  EXPECT_FALSE(fs::exists(base.Path() / "messages"));
  EXPECT_FALSE(store.Contains(other, "a"));
}

}  // namespace
