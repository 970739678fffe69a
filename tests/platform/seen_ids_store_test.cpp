// The seen-ids record: one file per mailbox, written whole and private, and
// anything damaged read as nothing seen.
#include "platform/seen_ids_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "tests/support/temp_files.h"

namespace {

namespace fs = std::filesystem;
using testsupport::ReadFile;
using testsupport::TempDir;
using Ids = std::set<std::string>;

const platform::MailboxKey kBob{"pop.example.ru", 110, "bob"};

mode_t ModeOf(const fs::path& path) {
  struct stat status {};
  EXPECT_EQ(::stat(path.c_str(), &status), 0) << path;
  return status.st_mode & 07777;
}

TEST(SeenIdsStore, WhatIsSavedComesBackInAPrivateFileOfItsOwn) {
  TempDir temp;
  const fs::path folder = temp.Path() / "state" / "tessaro";
  platform::FileSeenIdsStore store(folder.string());
  EXPECT_EQ(store.Load(kBob), Ids{});
  ASSERT_TRUE(store.Save(kBob, {"uid-2", "uid-1"}));
  EXPECT_EQ(platform::FileSeenIdsStore(folder.string()).Load(kBob), (Ids{"uid-1", "uid-2"}));
  EXPECT_EQ(ReadFile(store.FileOf(kBob)), "tessaro-seen-ids 1\nuid-1\nuid-2\n");
  EXPECT_EQ(ModeOf(folder), 0700u);
  EXPECT_EQ(ModeOf(store.FileOf(kBob)), 0600u);
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);  // no temporary left

  ASSERT_TRUE(store.Save(kBob, {"uid-3"}));
  EXPECT_EQ(store.Load(kBob), Ids{"uid-3"});
}

TEST(SeenIdsStore, EachMailboxHasItsOwnRecord) {
  TempDir temp;
  platform::FileSeenIdsStore store(temp.Path().string());
  const platform::MailboxKey others[] = {{"pop.example.ru", 995, "bob"},
                                         {"pop.example.ru", 110, "anna"},
                                         {"mail.example.ru", 110, "bob"}};
  ASSERT_TRUE(store.Save(kBob, {"a"}));
  for (const auto& other : others) {
    EXPECT_NE(store.FileOf(other), store.FileOf(kBob)) << other.host << ":" << other.port << " " << other.user;
    EXPECT_EQ(store.Load(other), Ids{});
  }
}

TEST(SeenIdsStore, ADamagedRecordReadsAsNothingSeen) {
  struct Case {
    const char* name;
    std::string content;
  } cases[] = {
      {"empty file", ""},
      {"no header", "uid-1\nuid-2\n"},
      {"another version", "tessaro-seen-ids 2\nuid-1\n"},
      {"cut short", "tessaro-seen-ids 1\nuid-1\nuid-"},
      {"an empty line", "tessaro-seen-ids 1\nuid-1\n\nuid-2\n"},
      {"a blank inside an id", "tessaro-seen-ids 1\nuid 1\n"},
      {"an id too long", "tessaro-seen-ids 1\n" + std::string(71, 'x') + "\n"},
      {"binary", std::string("tessaro-seen-ids 1\n\0\xFF\n", 22)},
  };
  for (const Case& c : cases) {
    TempDir temp;
    platform::FileSeenIdsStore store(temp.Path().string());
    std::ofstream(store.FileOf(kBob), std::ios::binary) << c.content;
    EXPECT_EQ(store.Load(kBob), Ids{}) << c.name;
  }
}

TEST(SeenIdsStore, ARecordThatCannotBeWrittenIsReported) {
  TempDir temp;
  std::ofstream(temp.Path() / "not-a-folder") << "x";
  platform::FileSeenIdsStore store((temp.Path() / "not-a-folder").string());
  EXPECT_FALSE(store.Save(kBob, {"a"}));
  EXPECT_EQ(store.Load(kBob), Ids{});
}

TEST(SeenIdsStore, DefaultFolderFollowsXdgStateHome) {
  const char* saved = std::getenv("XDG_STATE_HOME");
  const std::string restore = saved ? saved : "";
  ::setenv("XDG_STATE_HOME", "/somewhere/state", 1);
  EXPECT_EQ(platform::FileSeenIdsStore::DefaultFolder(), "/somewhere/state/tessaro");
  ::setenv("XDG_STATE_HOME", "relative", 1);  // not absolute: ignored, as the base directory rules say
  const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
  if (!home.empty()) {
    EXPECT_EQ(platform::FileSeenIdsStore::DefaultFolder(), home + "/.local/state/tessaro");
  }
  if (saved) ::setenv("XDG_STATE_HOME", restore.c_str(), 1);
  else ::unsetenv("XDG_STATE_HOME");
}

}  // namespace
