// The settings file under harm: a loose mode, a save killed half-way, and a
// damaged file, from which the program still starts with what can be read.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <filesystem>
#include <ostream>
#include <string>

#include "config/main_settings.h"
#include "platform/ini_registry_store.h"
#include "tests/support/temp_files.h"
#include "tests/support/case_names.h"

namespace {

namespace fs = std::filesystem;
using platform::IniRegistryStore;
using testsupport::Mode;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteText;

constexpr const char* kKey = "Software\\tessaro";

TEST(SettingsFile, LooseModeIsTightenedWhenTheFileIsLoaded) {
  TempDir base;
  const fs::path file = base.Path() / "Software" / "tessaro.ini";
  WriteText(file, "[TMainForm]\nTime=5000\n");
  fs::permissions(file, fs::perms(0644));
  const IniRegistryStore store(base.Path(), kKey);
  EXPECT_EQ(Mode(file), 0600u);
  EXPECT_EQ(store.ReadInteger("TMainForm", "Time", 0), 5000);
}

// The file as the store writes it: the generation first, then enough values
// that a save takes a while and a torn file would lose its last lines.
std::string SettingsText(int generation) {
  std::string text = "[Gen]\nN=" + std::to_string(generation) + "\n\n[Fill]\n";
  for (int i = 0; i < 3000; ++i) text += "V" + std::to_string(i) + "=" + std::string(100, 'a' + i % 26) + "\n";
  return text;
}

// Saves again and again, writing a byte to `done` after each whole save.
[[noreturn]] void SaveForever(const fs::path& base, int done) {
  IniRegistryStore store(base, kKey);
  for (int generation = 1;; ++generation) {
    store.WriteString("Gen", "N", std::to_string(generation));
    [[maybe_unused]] const auto written = ::write(done, "s", 1);
  }
}

TEST(SettingsFile, SaveKilledAtAnyMomentLeavesTheOldOrTheNewFileWhole) {
  TempDir base;
  const fs::path folder = base.Path() / "Software";
  const fs::path file = folder / "tessaro.ini";
  WriteText(file, SettingsText(0));
  for (int round = 0; round < 16; ++round) {
    SCOPED_TRACE(round);
    int done[2];
    ASSERT_EQ(::pipe(done), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ::close(done[0]);
      SaveForever(base.Path(), done[1]);
    }
    ::close(done[1]);
    // Up to three whole saves, then into the next one at a different moment each round.
    const int savesWaited = round % 4;
    char byte = 0;
    for (int i = 0; i < savesWaited; ++i) ASSERT_EQ(::read(done[0], &byte, 1), 1);
    ::usleep(static_cast<useconds_t>(round * 400));
    ::kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ::close(done[0]);
    ASSERT_TRUE(WIFSIGNALED(status));

    const IniRegistryStore store(base.Path(), kKey);
    const int generation = store.ReadInteger("Gen", "N", -1);
    EXPECT_GE(generation, savesWaited);
    EXPECT_EQ(ReadFile(file), SettingsText(generation));
    EXPECT_EQ(Mode(file), 0600u);
    // A temporary copy the kill left behind is never what the store reads.
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
      if (entry.path() == file) continue;
      EXPECT_TRUE(entry.path().filename().string().starts_with("tessaro.ini.")) << entry.path();
    }
  }
}

struct DamagedFile {
  const char* name;
  std::string text;
  bool showSound;  // [TMainForm] ShowSound, true when it cannot be read
  int fontSize;    // [Font] Size, 8 when it cannot be read
  int fontStyle;   // [Font] Style, 0 when it cannot be read
};

void PrintTo(const DamagedFile& c, std::ostream* out) { *out << c.name; }

class DamagedSettings : public ::testing::TestWithParam<DamagedFile> {
 protected:
  DamagedSettings() : startFolder_(fs::current_path()) {}
  ~DamagedSettings() override { fs::current_path(startFolder_); }

  fs::path startFolder_;
  TempDir base_;
};

TEST_P(DamagedSettings, StartWithTheDefaultsForWhatCannotBeReadAndKeepTheRest) {
  const DamagedFile& c = GetParam();
  WriteText(base_.Path() / "Software" / "tessaro.ini", c.text);
  IniRegistryStore store(base_.Path(), kKey);
  config::TMainSettings settings;
  ASSERT_NO_THROW(config::RestoreMainSettings(store, settings));
  EXPECT_TRUE(settings.Loaded);
  EXPECT_EQ(settings.ShowSound, c.showSound);
  EXPECT_EQ(settings.Font.Size, c.fontSize);
  EXPECT_EQ(settings.Font.Style, c.fontStyle);
  EXPECT_EQ(settings.Interval, 600000) << "a value the file never held keeps its default";
}

const DamagedFile kDamagedFiles[] = {
    {"binary garbage before the sections", std::string("\x00\xFF\xFE\x01junk\x89PNG\r\n\x1A\n", 16) +
                                               "[TMainForm]\nShowSound=0\n[Font]\nSize=12\nStyle=1\n",
     false, 12, 1},
    {"binary garbage between the values",
     "[TMainForm]\nShowSound=0\n" + std::string("\xFF\x00=\x80\x01\n\x7F\x7F\n", 9) + "[Font]\nSize=12\nStyle=1\n",
     false, 12, 1},
    {"last line cut off", "[TMainForm]\nShowSound=0\n[Font]\nSize=12\nSty", false, 12, 0},
    {"value cut off after its name", "[TMainForm]\nShowSound=0\n[Font]\nSize=12\nStyle=", false, 12, 0},
    {"section header without its bracket", "[TMainForm]\nShowSound=0\n[Font\nSize=12\nStyle=1\n", false, 8, 0},
    {"invalid escapes", "[TMainForm]\nShowSound=\\x0\n[Font]\nName=\\xZZ\\q\\\nSize=\\x312\nStyle=1\n", true, 12, 1},
    {"zero byte inside a value", "[TMainForm]\nShowSound=0\n[Font]\n" + std::string("Size=1\0002\n", 9) + "Style=1\n",
     false, 8, 1},
    {"only garbage", std::string("\x00\x01\x02\xFF[\n=\n]\n", 10), true, 8, 0},
};

INSTANTIATE_TEST_SUITE_P(Cases, DamagedSettings, ::testing::ValuesIn(kDamagedFiles), testsupport::CaseName());

}  // namespace
