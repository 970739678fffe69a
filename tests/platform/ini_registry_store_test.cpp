#include "platform/ini_registry_store.h"

#include <gtest/gtest.h>

#include "tests/support/temp_files.h"
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <sstream>
#include <string>

#include "platform/cp1251.h"

namespace {

using testsupport::Mode;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteText;

namespace fs = std::filesystem;
using platform::IniRegistryStore;
using platform::RegistryError;
using text::operator""_cp1251;

constexpr const char* kKey = "Software\\tessaro";

std::string Message(const std::function<void()>& action) {
  try {
    action();
  } catch (const RegistryError& error) {
    return error.what();
  }
  return "<no error>";
}

// Runs `action` with files limited to `bytes`, ignoring the signal a write
// beyond the limit raises. Root ignores permission bits but not this limit.
void WithFileSizeLimit(std::size_t bytes, const std::function<void()>& action) {
  rlimit oldLimit{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &oldLimit), 0);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = oldLimit;
  small.rlim_cur = bytes;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  action();
  ::setrlimit(RLIMIT_FSIZE, &oldLimit);
  std::signal(SIGXFSZ, oldHandler);
}

TEST(IniRegistryStore, KeyPathBecomesAnIniFileBelowTheBaseFolder) {
  TempDir base;
  EXPECT_EQ(IniRegistryStore(base.Path(), kKey).FilePath(), base.Path() / "Software" / "tessaro.ini");
  EXPECT_EQ(IniRegistryStore(base.Path(), "\\Software\\\\tessaro").FilePath(),
            base.Path() / "Software" / "tessaro.ini");
  EXPECT_EQ(IniRegistryStore(base.Path(), std::string("Software\\Программа"_cp1251)).FilePath(),
            base.Path() / "Software" / "Программа.ini");
  for (const char* bad : {"", "\\", "Software\\..", "Software\\.\\x", "Software/x\\y", "Software\\a/b"})
    EXPECT_THROW(IniRegistryStore(base.Path(), bad), RegistryError) << bad;
}

TEST(IniRegistryStore, EveryByteValueRoundTripsInValuesNamesAndSections) {
  std::string everyByte;
  for (int byte = 0; byte < 256; ++byte) everyByte += static_cast<char>(byte);
  struct Case {
    const char* name;
    std::string section;
    std::string valueName;
    std::string value;
  } cases[] = {
      {"every byte 0 to 255", "TMainForm", "All", everyByte},
      {"every byte reversed", "TMainForm", "Reversed", std::string(everyByte.rbegin(), everyByte.rend())},
      {"empty", "TMainForm", "Empty", ""},
      {"blanks only", "TMainForm", "Blanks", "   "},
      {"blanks around", "TMainForm", "Around", "  a b  "},
      {"comment markers at the start", "TMainForm", "Comment", ";x#y"},
      {"hash at the start", "TMainForm", "Hash", "#x"},
      {"section look", "TMainForm", "Look", "[Servers]"},
      {"equals signs", "TMainForm", "Equals", "a=b==c="},
      {"escape look-alikes", "TMainForm", "Escapes", "\\x41\\\\\\x4\\"},
      {"line breaks", "TMainForm", "Lines", "one\r\ntwo\nthree\r"},
      {"cyrillic", "TMainForm", "Cyrillic", std::string("Привет, мир! Ёё"_cp1251)},
      {"odd value name", "TMainForm", " [a=b];\\ ", "v"},
      {"odd section name", " [x]]=;\\ ", "Name", "v"},
      {"cyrillic section name", std::string("Раздел"_cp1251), "Name", "v"},
  };
  TempDir base;
  {
    IniRegistryStore store(base.Path(), kKey);
    for (const auto& c : cases) store.WriteString(c.section, c.valueName, c.value);
  }
  const IniRegistryStore reopened(base.Path(), kKey);
  for (const auto& c : cases) EXPECT_EQ(reopened.ReadString(c.section, c.valueName, "<missing>"), c.value) << c.name;
}

TEST(IniRegistryStore, PlainAsciiStandsAsWrittenAndTheRestIsEscaped) {
  TempDir base;
  IniRegistryStore store(base.Path(), kKey);
  store.WriteString("TMainForm", "WorkDir", "/home/bob");
  store.WriteInteger("TMainForm", "Time", -600000);
  store.WriteBool("TMainForm", "ShowMain", true);
  store.WriteString("Servers", "Host0", " a=b\\ ");
  store.WriteString("Servers", "UserId0", "Ая\t;"_cp1251);
  EXPECT_EQ(ReadFile(store.FilePath()),
            "[TMainForm]\n"
            "WorkDir=/home/bob\n"
            "Time=-600000\n"
            "ShowMain=1\n"
            "\n"
            "[Servers]\n"
            "Host0=\\x20a\\x3Db\\\\\\x20\n"
            "UserId0=\\xC0\\xFF\\x09;\n");
}

TEST(IniRegistryStore, HandEditedFileIsRead) {
  TempDir base;
  WriteText(base.Path() / "Software" / "tessaro.ini",
            "orphan=before any section\r\n"
            "; a comment\r\n"
            "  [ TMainForm ]  \r\n"
            "  ShowMain = 1  \r\n"
            "# another comment\r\n"
            "no equals sign here\r\n"
            "WorkDir=C:\\Temp\\new\r\n"
            "Time=5\r\n"
            "time=6\r\n"
            "\r\n"
            "[servers]\n"
            "Host0=pop.example.ru");
  const IniRegistryStore store(base.Path(), kKey);
  EXPECT_EQ(store.ReadString("TMainForm", "ShowMain", ""), "1");
  EXPECT_EQ(store.ReadString("TMainForm", "WorkDir", ""), "C:\\Temp\\new") << "a lone backslash stands for itself";
  EXPECT_EQ(store.ReadInteger("TMAINFORM", "TIME", 0), 5) << "names ignore letter case; the first of two counts";
  EXPECT_EQ(store.ReadString("Servers", "host0", ""), "pop.example.ru");
  EXPECT_EQ(store.ReadString("TMainForm", "orphan", "<missing>"), "<missing>");
  EXPECT_EQ(store.ReadString("TMainForm", "no equals sign here", "<missing>"), "<missing>");
}

TEST(IniRegistryStore, IntegersReadTheirDefaultUnlessTheTextIsADecimalInteger) {
  struct Case {
    const char* name;
    const char* stored;  // nullptr: the value is missing
    int expected;
  } cases[] = {
      {"missing", nullptr, -3},
      {"plain", "42", 42},
      {"negative", "-7", -7},
      {"plus sign", "+5", 5},
      {"zero", "0", 0},
      {"largest", "2147483647", 2147483647},
      {"smallest", "-2147483648", -2147483647 - 1},
      {"too large", "2147483648", -3},
      {"empty", "", -3},
      {"letters", "abc", -3},
      {"trailing letters", "12abc", -3},
      {"leading blank", " 5", -3},
      {"two signs", "+-5", -3},
      {"sign only", "-", -3},
      {"hexadecimal", "0x10", -3},
      {"fraction", "1.5", -3},
  };
  TempDir base;
  IniRegistryStore store(base.Path(), kKey);
  for (const auto& c : cases)
    if (c.stored) store.WriteString("S", c.name, c.stored);
  for (const auto& c : cases) EXPECT_EQ(store.ReadInteger("S", c.name, -3), c.expected) << c.name;
}

TEST(IniRegistryStore, BooleansAreTrueForEveryIntegerButZero) {
  struct Case {
    const char* name;
    const char* stored;  // nullptr: the value is missing
    bool defaultValue;
    bool expected;
  } cases[] = {
      {"missing, default false", nullptr, false, false},
      {"missing, default true", nullptr, true, true},
      {"one", "1", false, true},
      {"zero", "0", true, false},
      {"two", "2", false, true},
      {"minus one", "-1", false, true},
      {"letters, default false", "yes", false, false},
      {"letters, default true", "no", true, true},
      {"empty, default true", "", true, true},
  };
  TempDir base;
  IniRegistryStore store(base.Path(), kKey);
  for (const auto& c : cases)
    if (c.stored) store.WriteString("S", c.name, c.stored);
  for (const auto& c : cases) EXPECT_EQ(store.ReadBool("S", c.name, c.defaultValue), c.expected) << c.name;
  store.WriteBool("S", "True", true);
  store.WriteBool("S", "False", false);
  EXPECT_EQ(store.ReadString("S", "True", ""), "1");
  EXPECT_EQ(store.ReadString("S", "False", ""), "0");
}

TEST(IniRegistryStore, MissingFileAndFolderGiveDefaultsAndAreCreatedByTheFirstWrite) {
  TempDir temp;
  const fs::path base = temp.Path() / "config";
  IniRegistryStore store(base, kKey);
  EXPECT_EQ(store.ReadString("TMainForm", "WorkDir", "dflt"), "dflt");
  EXPECT_EQ(store.ReadInteger("TMainForm", "Time", 600000), 600000);
  store.DeleteValue("TMainForm", "Host");
  EXPECT_FALSE(fs::exists(base)) << "reading and deleting nothing create nothing";

  store.WriteString("TMainForm", "Host", "pop.example.ru");
  EXPECT_EQ(Mode(base), 0700u);
  EXPECT_EQ(Mode(base / "Software"), 0700u);
  EXPECT_EQ(Mode(store.FilePath()), 0600u);
  EXPECT_EQ(IniRegistryStore(base, kKey).ReadString("TMainForm", "Host", ""), "pop.example.ru");
}

TEST(IniRegistryStore, FileIsReadableByItsOwnerOnlyWhateverTheUmaskAndTheOldMode) {
  TempDir base;
  const mode_t oldMask = ::umask(0);
  IniRegistryStore store(base.Path(), kKey);
  store.WriteString("TMainForm", "A", "1");
  EXPECT_EQ(Mode(store.FilePath()), 0600u);
  fs::permissions(store.FilePath(), fs::perms(0644));
  store.WriteString("TMainForm", "A", "2");
  EXPECT_EQ(Mode(store.FilePath()), 0600u);
  ::umask(oldMask);
}

TEST(IniRegistryStore, DeleteRemovesOnlyAnExistingValue) {
  TempDir base;
  IniRegistryStore store(base.Path(), kKey);
  store.WriteString("TMainForm", "Host", "h");
  store.WriteString("TMainForm", "UserId", "u");
  store.DeleteValue("TMainForm", "HOST");
  store.DeleteValue("TMainForm", "Passwd");
  store.DeleteValue("NoSuchSection", "UserId");
  const IniRegistryStore reopened(base.Path(), kKey);
  EXPECT_EQ(reopened.ReadString("TMainForm", "Host", "<missing>"), "<missing>");
  EXPECT_EQ(reopened.ReadString("TMainForm", "UserId", "<missing>"), "u");
  EXPECT_EQ(ReadFile(store.FilePath()), "[TMainForm]\nUserId=u\n");
}

TEST(IniRegistryStore, RewritingTheSameValueLeavesTheFileAlone) {
  TempDir base;
  IniRegistryStore store(base.Path(), kKey);
  store.WriteString("TMainForm", "Host", "h");
  struct stat before {};
  ASSERT_EQ(::stat(store.FilePath().c_str(), &before), 0);
  store.WriteString("TMainForm", "host", "h");
  struct stat after {};
  ASSERT_EQ(::stat(store.FilePath().c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
  store.WriteString("TMainForm", "Host", "h2");
  ASSERT_EQ(::stat(store.FilePath().c_str(), &after), 0);
  EXPECT_NE(after.st_ino, before.st_ino) << "a change replaces the file";
}

TEST(IniRegistryStore, FolderThatCannotBeCreatedRaisesTheCreateKeyError) {
  TempDir temp;
  WriteText(temp.Path() / "file", "not a folder");
  IniRegistryStore store(temp.Path() / "file" / "config", kKey);
  EXPECT_EQ(store.ReadString("TMainForm", "Host", "dflt"), "dflt");
  EXPECT_EQ(Message([&] { store.WriteString("TMainForm", "Host", "h"); }), "Ошибка создания ключа TMainForm"_cp1251);
  EXPECT_EQ(store.ReadString("TMainForm", "Host", "dflt"), "dflt") << "a failed write stores nothing";
}

// Root ignores permission bits, so the failure comes from a file size limit,
// which binds root too.
TEST(IniRegistryStore, OldFileStaysWholeWhenTheNewOneCannotBeWritten) {
  TempDir base;
  IniRegistryStore store(base.Path(), kKey);
  store.WriteString("TMainForm", "Host", "pop.example.ru");
  const std::string before = ReadFile(store.FilePath());

  std::string error;
  std::string createError;
  WithFileSizeLimit(before.size() + 8, [&] {
    error = Message([&] { store.WriteString("TMainForm", "Notes", std::string(200, 'x')); });
    createError = Message([&] { store.WriteString("Font", "Name", std::string(200, 'x')); });
  });

  EXPECT_EQ(error, "Ошибка записи значения для 'Notes'"_cp1251);
  EXPECT_EQ(createError, "Ошибка создания ключа Font"_cp1251);
  EXPECT_EQ(ReadFile(store.FilePath()), before);
  EXPECT_EQ(store.ReadString("TMainForm", "Notes", "<missing>"), "<missing>");
  int files = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(base.Path() / "Software")) ++files;
  EXPECT_EQ(files, 1) << "no temporary file is left behind";
}

TEST(IniRegistryStore, ReadOnlyFolderKeepsTheOldFile) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes into a read-only folder; the size-limit test covers the failure";
  TempDir base;
  IniRegistryStore store(base.Path(), kKey);
  store.WriteString("TMainForm", "Host", "pop.example.ru");
  const std::string before = ReadFile(store.FilePath());
  fs::permissions(base.Path() / "Software", fs::perms(0500));
  const std::string error = Message([&] { store.WriteString("TMainForm", "Host", "other"); });
  fs::permissions(base.Path() / "Software", fs::perms(0700));
  EXPECT_EQ(error, "Ошибка записи значения для 'Host'"_cp1251);
  EXPECT_EQ(ReadFile(store.FilePath()), before);
}

TEST(IniRegistryStore, FileThatCannotBeReadGivesDefaultsAndIsNeverReplaced) {
  TempDir base;
  fs::create_directories(base.Path() / "Software" / "tessaro.ini");  // a folder where the file belongs
  IniRegistryStore store(base.Path(), kKey);
  EXPECT_EQ(store.ReadInteger("TMainForm", "Time", 7), 7);
  EXPECT_THROW(store.WriteString("TMainForm", "Time", "1"), RegistryError);
  EXPECT_TRUE(fs::is_directory(base.Path() / "Software" / "tessaro.ini"));
}

// The same changes as the batch tests make, for comparing with the file a batch leaves.
void ChangeSettings(platform::RegistryStore& store) {
  store.WriteString("TMainForm", "Host", "pop.example.ru");
  store.WriteInteger("TMainForm", "Time", 5000);
  store.DeleteValue("TMainForm", "UserId");
  store.WriteString("Font", "Name", "Ая"_cp1251);
  store.WriteString("TMainForm", "Time", "6000");
}

std::string ValueByValueText() {
  TempDir base;
  IniRegistryStore store(base.Path(), kKey);
  store.WriteString("TMainForm", "UserId", "u");
  ChangeSettings(store);
  return ReadFile(store.FilePath());
}

TEST(IniRegistryStore, BatchReadsBackAtOnceAndReplacesTheFileOnceAtTheCommit) {
  TempDir base;
  IniRegistryStore store(base.Path(), kKey);
  store.WriteString("TMainForm", "UserId", "u");
  const std::string before = ReadFile(store.FilePath());
  struct stat old {};
  ASSERT_EQ(::stat(store.FilePath().c_str(), &old), 0);
  EXPECT_EQ(store.FileReplacements(), 1);

  platform::RegistryBatch batch(store);
  ChangeSettings(store);
  EXPECT_EQ(store.ReadString("TMainForm", "Host", ""), "pop.example.ru");
  EXPECT_EQ(store.ReadInteger("TMainForm", "Time", 0), 6000);
  EXPECT_EQ(store.ReadString("TMainForm", "UserId", "<missing>"), "<missing>");
  EXPECT_EQ(store.ReadString("Font", "Name", ""), "Ая"_cp1251);
  EXPECT_EQ(ReadFile(store.FilePath()), before) << "the file is untouched until the commit";
  struct stat during {};
  ASSERT_EQ(::stat(store.FilePath().c_str(), &during), 0);
  EXPECT_EQ(during.st_ino, old.st_ino);
  EXPECT_EQ(store.FileReplacements(), 1);

  batch.Commit();
  EXPECT_EQ(store.FileReplacements(), 2);
  EXPECT_EQ(ReadFile(store.FilePath()), ValueByValueText());
  EXPECT_EQ(Mode(store.FilePath()), 0600u);
  store.WriteString("TMainForm", "Host", "other");
  EXPECT_EQ(store.FileReplacements(), 3) << "after the commit every change is stored at once again";
}

TEST(IniRegistryStore, BatchThatChangesNothingLeavesTheFileAlone) {
  TempDir base;
  IniRegistryStore store(base.Path(), kKey);
  store.WriteString("TMainForm", "Host", "h");
  platform::RegistryBatch batch(store);
  store.WriteString("TMainForm", "host", "h");
  store.DeleteValue("TMainForm", "Passwd");
  batch.Commit();
  EXPECT_EQ(store.FileReplacements(), 1);
}

TEST(IniRegistryStore, BatchLeftWithoutCommitIsDropped) {
  TempDir base;
  IniRegistryStore store(base.Path(), kKey);
  store.WriteString("TMainForm", "UserId", "u");
  const std::string before = ReadFile(store.FilePath());
  {
    platform::RegistryBatch batch(store);
    ChangeSettings(store);
  }
  EXPECT_EQ(ReadFile(store.FilePath()), before);
  EXPECT_EQ(store.ReadString("TMainForm", "UserId", ""), "u");
  EXPECT_EQ(store.ReadString("TMainForm", "Host", "<missing>"), "<missing>");
  EXPECT_EQ(store.FileReplacements(), 1);
}

TEST(IniRegistryStore, FailingCommitRaisesTheFirstChangesErrorAndKeepsTheOldFile) {
  TempDir base;
  IniRegistryStore store(base.Path(), kKey);
  store.WriteString("TMainForm", "Host", "pop.example.ru");
  const std::string before = ReadFile(store.FilePath());

  platform::RegistryBatch batch(store);
  store.WriteString("TMainForm", "Notes", std::string(200, 'x'));
  store.WriteString("Font", "Name", std::string(200, 'x'));
  std::string error;
  WithFileSizeLimit(before.size() + 8, [&] { error = Message([&] { batch.Commit(); }); });

  EXPECT_EQ(error, "Ошибка записи значения для 'Notes'"_cp1251);
  EXPECT_EQ(ReadFile(store.FilePath()), before);
  EXPECT_EQ(store.ReadString("TMainForm", "Notes", "<missing>"), "<missing>") << "the store holds what it held before";
  EXPECT_EQ(store.ReadString("Font", "Name", "<missing>"), "<missing>");
  EXPECT_EQ(store.FileReplacements(), 1);
  int files = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(base.Path() / "Software")) ++files;
  EXPECT_EQ(files, 1) << "no temporary file is left behind";
}

TEST(IniRegistryStore, CommitThatCannotCreateTheFolderRaisesTheCreateKeyError) {
  TempDir temp;
  WriteText(temp.Path() / "file", "not a folder");
  IniRegistryStore store(temp.Path() / "file" / "config", kKey);
  platform::RegistryBatch batch(store);
  store.WriteString("TMainForm", "Host", "h");
  EXPECT_EQ(store.ReadString("TMainForm", "Host", "dflt"), "h");
  EXPECT_EQ(Message([&] { batch.Commit(); }), "Ошибка создания ключа TMainForm"_cp1251);
  EXPECT_EQ(store.ReadString("TMainForm", "Host", "dflt"), "dflt");
}

TEST(IniRegistryStore, FileThatCannotBeReadRefusesAChangeInABatchAtOnce) {
  TempDir base;
  fs::create_directories(base.Path() / "Software" / "tessaro.ini");
  IniRegistryStore store(base.Path(), kKey);
  platform::RegistryBatch batch(store);
  EXPECT_EQ(Message([&] { store.WriteString("TMainForm", "Time", "1"); }), "Ошибка создания ключа TMainForm"_cp1251);
  EXPECT_EQ(store.ReadInteger("TMainForm", "Time", 7), 7);
  batch.Commit();
  EXPECT_TRUE(fs::is_directory(base.Path() / "Software" / "tessaro.ini"));
}

TEST(IniRegistryStore, BatchesDoNotNest) {
  TempDir base;
  IniRegistryStore store(base.Path(), kKey);
  platform::RegistryBatch batch(store);
  EXPECT_THROW(store.BeginBatch(), std::logic_error);
}

TEST(IniRegistryStore, DefaultBaseFolderFollowsXdgConfigHome) {
  struct Case {
    const char* name;
    const char* xdg;  // nullptr: unset
    std::string expected;
  } cases[] = {
      {"absolute", "/srv/conf", "/srv/conf"},
      {"relative is ignored", "conf", "/home/bob/.config"},
      {"empty", "", "/home/bob/.config"},
      {"unset", nullptr, "/home/bob/.config"},
  };
  ::setenv("HOME", "/home/bob", 1);
  for (const auto& c : cases) {
    if (c.xdg)
      ::setenv("XDG_CONFIG_HOME", c.xdg, 1);
    else
      ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(IniRegistryStore::DefaultBaseFolder(), c.expected) << c.name;
  }
}

}  // namespace
