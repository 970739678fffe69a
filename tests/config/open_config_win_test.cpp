#include "config/open_config_win.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QTimeEdit>
#include <QTimer>

#include <functional>

#include "tests/config/config_win_fixture.h"

namespace {

using config::TAccountList;
using config::TConfigWin;
using config::TMainSettings;
using config::TServer;

using OpenConfigWin = testsupport::ConfigWinFixture;

// Acts on the modal dialog once its event loop runs.
void WhenShown(std::function<void(TConfigWin&)> act) {
  QTimer::singleShot(0, [act = std::move(act)] {
    auto* win = qobject_cast<TConfigWin*>(QApplication::activeModalWidget());
    ASSERT_NE(win, nullptr);
    act(*win);
  });
}

TMainSettings Options(int interval, bool showMain, bool showDialog, bool showSound, bool deleteConf, bool showConfig) {
  TMainSettings settings;
  settings.Interval = interval;
  settings.ShowMain = showMain;
  settings.ShowDialog = showDialog;
  settings.ShowSound = showSound;
  settings.DeleteConf = deleteConf;
  settings.ShowConfig = showConfig;
  return settings;
}

bool SameOptions(const TMainSettings& a, const TMainSettings& b) {
  return a.Interval == b.Interval && a.ShowMain == b.ShowMain && a.ShowDialog == b.ShowDialog &&
         a.ShowSound == b.ShowSound && a.DeleteConf == b.DeleteConf && a.ShowConfig == b.ShowConfig &&
         a.CacheMessages == b.CacheMessages && a.ShowNotify == b.ShowNotify;
}

TEST_F(OpenConfigWin, FillsTheControlsAndReadsThemBack) {
  struct Case {
    const char* name;
    TMainSettings settings;
    QTime shown;
    bool startUpBoxTicked;
    int readBack;
  } cases[] = {
      {"first start", Options(600000, false, true, true, true, true), QTime(0, 10, 0), false, 600000},
      {"all turned round", Options(3723456, true, false, false, false, false), QTime(1, 2, 3), true, 3723000},
      {"no periodic check", Options(0, false, false, false, false, true), QTime(0, 0, 0), false, 0},
      {"a day or more", Options(86400000, true, true, false, true, true), QTime(0, 10, 0), false, 600000},
  };
  for (const Case& c : cases) {
    TAccountList accounts;
    TConfigWin win(accounts, boxes_);
    config::FillConfigWin(win, c.settings);
    EXPECT_EQ(win.Time()->time(), c.shown) << c.name;
    EXPECT_EQ(win.ShowMain()->isChecked(), c.settings.ShowMain) << c.name;
    EXPECT_EQ(win.ShowDialog()->isChecked(), c.settings.ShowDialog) << c.name;
    EXPECT_EQ(win.ShowSound()->isChecked(), c.settings.ShowSound) << c.name;
    EXPECT_EQ(win.DeleteConf()->isChecked(), c.settings.DeleteConf) << c.name;
    EXPECT_EQ(win.ShowConfig()->isChecked(), c.startUpBoxTicked) << c.name;

    TMainSettings read;
    config::ReadConfigWin(win, read);
    TMainSettings expected = c.settings;
    expected.Interval = c.readBack;
    EXPECT_TRUE(SameOptions(read, expected)) << c.name;
  }
}

// The options that came after the first ones: each box shows its setting and sets it.
TEST_F(OpenConfigWin, TheLaterBoxesShowAndSetTheirSettings) {
  const struct {
    bool TMainSettings::*setting;
    QCheckBox* (TConfigWin::*box)() const;
  } boxes[] = {{&TMainSettings::CacheMessages, &TConfigWin::CacheMessages},
               {&TMainSettings::ShowNotify, &TConfigWin::ShowNotify}};
  for (const auto& [setting, box] : boxes)
    for (const bool value : {false, true}) {
      TAccountList accounts;
      TConfigWin win(accounts, boxes_);
      TMainSettings settings;
      settings.*setting = value;
      config::FillConfigWin(win, settings);
      EXPECT_EQ((win.*box)()->isChecked(), value) << (win.*box)()->objectName().toStdString();
      (win.*box)()->setChecked(!value);
      config::ReadConfigWin(win, settings);
      EXPECT_EQ(settings.*setting, !value) << (win.*box)()->objectName().toStdString();
    }
}

TEST_F(OpenConfigWin, OkTakesTheAccountsAndTheOptions) {
  TAccountList accounts = {TServer("a.org", "a", "1", true)};
  TMainSettings settings = Options(600000, false, true, true, true, true);
  WhenShown([](TConfigWin& win) {
    win.BtnNewClick();
    win.Host()->setText(QStringLiteral("b.org"));
    win.HostChange();
    win.UserId()->setText(QStringLiteral("b"));
    win.UserIdChange();
    win.Time()->setTime(QTime(0, 0, 30));
    win.ShowMain()->setChecked(true);
    win.ShowConfig()->setChecked(true);
    win.CacheMessages()->setChecked(true);
    win.OkBtn()->click();
  });
  EXPECT_TRUE(config::OpenConfigWin(nullptr, accounts, settings, boxes_, platform::IniRegistryOpener(base_)));
  EXPECT_EQ(accounts, (TAccountList{TServer("a.org", "a", "1", true), TServer("b.org", "b", "", true)}));
  TMainSettings expected = Options(30000, true, true, true, true, false);
  expected.CacheMessages = true;
  EXPECT_TRUE(SameOptions(settings, expected));
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(OpenConfigWin, CancelChangesNothing) {
  const TAccountList before = {TServer("a.org", "a", "1", true)};
  const TMainSettings original = Options(600000, false, true, true, true, true);
  TAccountList accounts = before;
  TMainSettings settings = original;
  WhenShown([](TConfigWin& win) {
    win.BtnDeleteClick();
    win.Time()->setTime(QTime(1, 0, 0));
    win.ShowSound()->setChecked(false);
    win.CacheMessages()->setChecked(true);
    win.CancelBtn()->click();
  });
  EXPECT_FALSE(config::OpenConfigWin(nullptr, accounts, settings, boxes_, platform::IniRegistryOpener(base_)));
  EXPECT_EQ(accounts, before);
  EXPECT_TRUE(SameOptions(settings, original));
}

}  // namespace
