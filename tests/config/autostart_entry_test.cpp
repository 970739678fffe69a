#include "config/autostart_entry.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QCheckBox>
#include <QPushButton>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "config/config_win.h"
#include "tests/config/config_win_fixture.h"
#include "tests/support/run_program.h"

namespace {

namespace fs = std::filesystem;
using testsupport::ShownBox;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The dialog's fixture with XDG_CONFIG_HOME in the test's own folder, so the
// user's real autostart folder is never touched.
class StartAtLogin : public testsupport::ConfigWinFixture {
 protected:
  void SetUp() override {
    if (const char* old = std::getenv("XDG_CONFIG_HOME")) saved_ = old;
    PointConfigHomeAt(temp_.Path() / "xdg");
  }
  void TearDown() override {
    if (saved_)
      ::setenv("XDG_CONFIG_HOME", saved_->c_str(), 1);
    else
      ::unsetenv("XDG_CONFIG_HOME");
  }

  static void PointConfigHomeAt(const fs::path& folder) { ::setenv("XDG_CONFIG_HOME", folder.c_str(), 1); }
  fs::path Entry() const { return temp_.Path() / "xdg" / "autostart" / "tessaro.desktop"; }

  // Opens the dialog, sets the box and closes it with OK or Cancel.
  void CloseWith(bool checked, bool ok) {
    config::TAccountList accounts;
    auto win = Open(accounts);
    win->StartAtLogin()->setChecked(checked);
    if (ok)
      win->OkBtnClick();
    else
      win->CancelBtn()->click();
  }

  std::optional<std::string> saved_;
};

TEST_F(StartAtLogin, PathFollowsTheConfigHome) {
  EXPECT_EQ(config::AutostartEntryPath().toStdString(), Entry().string());
}

TEST_F(StartAtLogin, BoxShowsWhetherTheEntryExists) {
  config::TAccountList accounts;
  EXPECT_FALSE(Open(accounts)->StartAtLogin()->isChecked());
  fs::create_directories(Entry().parent_path());
  std::ofstream(Entry()) << "[Desktop Entry]\n";
  EXPECT_TRUE(Open(accounts)->StartAtLogin()->isChecked());
}

TEST_F(StartAtLogin, CheckedBoxAndOkWriteAnEntryThatStartsTheProgram) {
  CloseWith(true, true);
  const std::string entry = ReadFile(Entry());
  EXPECT_TRUE(entry.starts_with("[Desktop Entry]\n")) << entry;
  for (const char* line : {"\nType=Application\n", "\nName=Tessaro\n", "\nExec=tessaro\n", "\nIcon=tessaro\n"})
    EXPECT_NE(entry.find(line), std::string::npos) << line;
  EXPECT_TRUE(boxes_.Shown.empty());
}

TEST_F(StartAtLogin, EntryPassesTheDesktopEntryValidatorWithoutRemarks) {
  CloseWith(true, true);
  const auto result = testsupport::RunProgram({"/usr/bin/desktop-file-validate", Entry().string()});
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(result.out + result.err, "");
}

TEST_F(StartAtLogin, ClearedBoxAndOkRemoveTheEntry) {
  CloseWith(true, true);
  ASSERT_TRUE(fs::exists(Entry()));
  CloseWith(false, true);
  EXPECT_FALSE(fs::exists(Entry()));
}

TEST_F(StartAtLogin, CancelLeavesTheEntryAsItWas) {
  CloseWith(true, false);
  EXPECT_FALSE(fs::exists(Entry()));
  CloseWith(true, true);
  CloseWith(false, false);
  EXPECT_TRUE(fs::exists(Entry()));
}

TEST_F(StartAtLogin, UnchangedBoxLeavesAHandWrittenEntryAlone) {
  fs::create_directories(Entry().parent_path());
  std::ofstream(Entry()) << "[Desktop Entry]\nExec=tessaro --mine\n";
  config::TAccountList accounts;
  Open(accounts)->OkBtnClick();
  EXPECT_EQ(ReadFile(Entry()), "[Desktop Entry]\nExec=tessaro --mine\n");
}

TEST_F(StartAtLogin, FolderThatCannotBeMadeIsReportedAndTheDialogStillCloses) {
  const fs::path blocker = temp_.Path() / "file";
  std::ofstream(blocker) << "not a folder";
  PointConfigHomeAt(blocker);
  config::TAccountList accounts;
  auto win = Open(accounts);
  win->StartAtLogin()->setChecked(true);
  win->OkBtnClick();
  const ShownBox expected{"error", QStringLiteral("Не удалось изменить автозапуск: ") + config::AutostartEntryPath()};
  EXPECT_EQ(boxes_.Shown, std::vector<ShownBox>{expected});
  EXPECT_EQ(win->result(), QDialog::Accepted);
}

}  // namespace
