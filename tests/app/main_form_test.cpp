// The main window's lifecycle: start-up, the toolbar and its hints, the tray
// menu, hiding, closing, the exit command and the end of the session.
#include "app/window/main_form.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QCloseEvent>
#include <QColor>
#include <QPushButton>
#include <QStatusTipEvent>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <ostream>
#include <string>
#include <vector>

#include "app/window/about_box.h"
#include "app/window/font_dialog.h"
#include "app/view/message_view.h"
#include "desktop/qor_status_bar.h"
#include "tests/app/main_form_fixture.h"

namespace {

using testsupport::BoxKind;
using testsupport::MainFormTest;

// A port nothing listens on: these tests never reach a server.
constexpr int kNoServer = 1;

TEST_F(MainFormTest, EmptyAccountListPassShowsZeroAndLeavesTheWindowIdle) {
  auto& form = MakeForm(kNoServer);
  form.FormCreate();
  EXPECT_EQ(form.QorStatusBar1()->SimpleText().toStdString(), "Прочитано писем: 0");
  EXPECT_EQ(form.windowTitle().toStdString(), "Tessaro (POP3) - 0");
  EXPECT_EQ(form.NewTrayIcon1().Hint().toStdString(), "Tessaro (POP3) - 0");
  EXPECT_EQ(form.CurrentIndex, -1);
  EXPECT_TRUE(form.Timer1().Enabled());
  EXPECT_FALSE(form.isVisible());  // only the tray icon at start
  EXPECT_EQ(ConfigDialogsOpened, 0);
  EXPECT_TRUE(Waits.empty());
}

struct StartCase {
  const char* name;
  bool showConfig;
  bool withAccount;
  int dialogsOpened;
};

void PrintTo(const StartCase& c, std::ostream* out) { *out << c.name; }

class StartTest : public MainFormTest, public ::testing::WithParamInterface<StartCase> {};

TEST_P(StartTest, OpensTheDialogOnlyAtAFirstStartWithoutAccounts) {
  Settings.ShowConfig = GetParam().showConfig;
  // An unchecked account is never visited, so no server is needed.
  if (GetParam().withAccount) Settings.AccountList.emplace_back("127.0.0.1", "bob", "secret", false);
  auto& form = MakeForm(kNoServer);
  form.FormCreate();
  EXPECT_EQ(ConfigDialogsOpened, GetParam().dialogsOpened);
  EXPECT_TRUE(form.Timer1().Enabled());
}

const StartCase kStartCases[] = {
    {"FirstStartOpensTheDialog", true, false, 1},
    {"DialogTurnedOffChecksInstead", false, false, 0},
    {"AccountsPresentChecksInstead", true, true, 0},
};

INSTANTIATE_TEST_SUITE_P(Start, StartTest, ::testing::ValuesIn(kStartCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainFormTest, AcceptedConfigurationIsAppliedStoredAndCheckedAtOnce) {
  Settings.ShowConfig = true;
  ConfigDialog = [](config::TAccountList& accounts, config::TMainSettings& settings) {
    EXPECT_EQ(settings.Interval, 600000);
    accounts.emplace_back("127.0.0.1", "bob", "secret", false);
    settings.Interval = 30000;
    settings.ShowConfig = false;
    settings.ShowMain = true;
    return true;
  };
  auto& form = MakeForm(kNoServer);
  form.FormCreate();
  EXPECT_EQ(ConfigDialogsOpened, 1);
  EXPECT_EQ(form.Timer1().Interval(), 30000);
  EXPECT_TRUE(form.Timer1().Enabled());
  EXPECT_EQ(form.QorStatusBar1()->SimpleText().toStdString(), "Прочитано писем: 0");
  const auto stored = StoredSettings();
  EXPECT_EQ(stored.ReadString("TMainForm", "Time", ""), "30000");
  EXPECT_EQ(stored.ReadString("TMainForm", "ShowConfig", ""), "0");
  EXPECT_EQ(stored.ReadString("TMainForm", "ShowMain", ""), "1");
  EXPECT_EQ(stored.ReadString("Servers", "Count", ""), "1");
}

TEST_F(MainFormTest, CancelledConfigurationChangesNothingAndChecksNothing) {
  Settings.ShowConfig = true;
  auto& form = MakeForm(kNoServer);
  form.FormCreate();
  EXPECT_EQ(ConfigDialogsOpened, 1);
  EXPECT_EQ(form.QorStatusBar1()->SimpleText().toStdString(), "");
  EXPECT_EQ(StoredSettings().ReadString("TMainForm", "Time", ""), "600000");
  EXPECT_EQ(StoredSettings().ReadString("TMainForm", "NormPos", "none"), "none");
  EXPECT_TRUE(form.Timer1().Enabled());
}

TEST_F(MainFormTest, AboutBoxNamesTheProgramAndItsBuild) {
  auto& form = MakeForm(kNoServer);
  form.FormCreate();
  QStringList texts;
  QTimer::singleShot(0, &form, [&texts] {
    QWidget* box = QApplication::activeModalWidget();
    ASSERT_NE(box, nullptr);
    for (const QLabel* label : box->findChildren<QLabel*>()) texts << label->text();
    static_cast<QDialog*>(box)->accept();
  });
  form.TBAboutClick();
  EXPECT_TRUE(texts.join(u'|').contains(QStringLiteral("Tessaro (POP3)")));
  EXPECT_TRUE(texts.contains(app::BuildLine()));
  EXPECT_TRUE(app::BuildLine().startsWith(QStringLiteral("Build ")));
  EXPECT_GT(app::BuildLine().size(), 6);
}

TEST_F(MainFormTest, ToolbarButtonsComeInOrderWithTheirHints) {
  auto& form = MakeForm(kNoServer);
  struct Button {
    const char* name;  // empty for a separator
    const char* hint;
  };
  const Button expected[] = {
      {"TBPred", "Предыдущее письмо"},
      {"TBNext", "Следующее письмо"},
      {"", ""},
      {"TBDelete", "Удаление текущего письма"},
      {"", ""},
      {"TBRefresh", "Обновление"},
      {"TBConfig", "Настройка"},
      {"TBFont", "Параметры фонта"},
      {"TBWordWrap", "Перенос слов при выходе за границу окна"},
      {"", ""},
      {"TBHide", "Убрать окно с экрана"},
      {"TBTerminate", "Выход из программы"},
      {"", ""},
      {"TBAbout", "Информация о программе"},
  };
  const QList<QAction*> actions = form.ToolBar()->actions();
  ASSERT_EQ(actions.size(), static_cast<qsizetype>(std::size(expected)));
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    QAction* action = actions[static_cast<qsizetype>(i)];
    EXPECT_EQ(action->isSeparator(), expected[i].name[0] == '\0') << i;
    EXPECT_EQ(action->objectName().toStdString(), expected[i].name);
    if (action->isSeparator()) continue;
    EXPECT_EQ(action->toolTip().toStdString(), expected[i].hint);
    EXPECT_EQ(action->statusTip().toStdString(), expected[i].hint);
  }
  EXPECT_TRUE(form.TBWordWrap()->isCheckable());
}

TEST_F(MainFormTest, WhileAPassRunsOnlyHideExitAndAboutStayEnabled) {
  auto& form = MakeForm(kNoServer);
  form.FormCreate();
  EXPECT_TRUE(form.TBRefresh()->isEnabled());
  form.Timer1().SetEnabled(false);
  form.UpdateToolButtons();
  for (QAction* button : {form.TBPred(), form.TBNext(), form.TBDelete(), form.TBRefresh(), form.TBConfig(),
                          form.TBFont(), form.TBWordWrap()})
    EXPECT_FALSE(button->isEnabled()) << button->objectName().toStdString();
  for (QAction* button : {form.TBHide(), form.TBTerminate(), form.TBAbout()})
    EXPECT_TRUE(button->isEnabled()) << button->objectName().toStdString();
}

TEST_F(MainFormTest, TheHintUnderThePointerBecomesTheStatusLine) {
  auto& form = MakeForm(kNoServer);
  form.FormCreate();
  QWidget* button = form.ToolBar()->widgetForAction(form.TBRefresh());
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->statusTip().toStdString(), "Обновление");
  QStatusTipEvent entered(button->statusTip());
  QCoreApplication::sendEvent(button, &entered);
  EXPECT_EQ(form.QorStatusBar1()->SimpleText().toStdString(), "Обновление");
  // The attachment menu's items tell the window too, though the menu is a window of its own.
  form.NShowFile()->showStatusText();
  EXPECT_EQ(form.QorStatusBar1()->SimpleText().toStdString(), "Просмотреть выбранный файл");
}

TEST_F(MainFormTest, TrayMenuHasItsItemsAndEnablesShowOrHideByVisibility) {
  auto& form = MakeForm(kNoServer);
  form.FormCreate();
  const QList<QAction*> items = form.PopupMenu1()->actions();
  ASSERT_EQ(items.size(), 4);
  EXPECT_EQ(items[0]->text().toStdString(), "Показать окно");
  EXPECT_EQ(items[1]->text().toStdString(), "Убрать окно");
  EXPECT_TRUE(items[2]->isSeparator());
  EXPECT_EQ(items[3]->text().toStdString(), "Выход...");
  EXPECT_EQ(form.NewTrayIcon1().PopupMenu(), form.PopupMenu1());

  form.PopupMenu1Popup();
  EXPECT_TRUE(form.NShow()->isEnabled());
  EXPECT_FALSE(form.NHide()->isEnabled());
  form.NewTrayIcon1DblClick();
  EXPECT_TRUE(form.isVisible());
  form.PopupMenu1Popup();
  EXPECT_FALSE(form.NShow()->isEnabled());
  EXPECT_TRUE(form.NHide()->isEnabled());
  EXPECT_TRUE(form.NTerminate()->isEnabled());
}

TEST_F(MainFormTest, CloseBoxHidesTheWindowAndTheNotice) {
  auto& form = MakeForm(kNoServer);
  form.FormCreate();
  form.NShowClick();
  form.NewMesWin().Notify(1, 1);
  ASSERT_NE(form.NewMesWin().NewMesWin(), nullptr);
  int terminated = 0;
  QObject::connect(&form, &app::TMainForm::Terminated, [&terminated] { ++terminated; });
  EXPECT_FALSE(form.close());
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(form.NewMesWin().NewMesWin(), nullptr);
  EXPECT_FALSE(form.CloseAllowed);
  EXPECT_EQ(terminated, 0);
}

TEST_F(MainFormTest, MinimisingHidesTheWindow) {
  auto& form = MakeForm(kNoServer);
  form.FormCreate();
  form.NShowClick();
  form.showMinimized();
  QCoreApplication::processEvents();
  EXPECT_FALSE(form.isVisible());
  form.NShowClick();
  EXPECT_TRUE(form.isVisible());
  EXPECT_FALSE(form.isMinimized());
}

TEST_F(MainFormTest, WithoutANotificationAreaTheWindowShowsAndMinimisesInsteadOfHiding) {
  TrayAvailable = false;
  auto& form = MakeForm(kNoServer);
  form.FormCreate();
  EXPECT_TRUE(form.isVisible());
  EXPECT_FALSE(form.close());
  EXPECT_TRUE(form.isVisible());
  EXPECT_TRUE(form.isMinimized());
}

// A notification area that comes after the start takes the window again.
TEST_F(MainFormTest, ANotificationAreaThatAppearsLaterHidesTheWindowAgain) {
  TrayAvailable = false;
  auto& form = MakeForm(kNoServer);
  form.FormCreate();
  form.TBHideClick();
  EXPECT_TRUE(form.isVisible());
  EXPECT_TRUE(form.isMinimized());

  TrayAvailable = true;
  form.NShowClick();
  form.TBHideClick();
  EXPECT_FALSE(form.isVisible());
}

TEST_F(MainFormTest, HideButtonHidesAndTheTrayBringsTheWindowBack) {
  auto& form = MakeForm(kNoServer);
  form.FormCreate();
  form.NShowClick();
  form.TBHideClick();
  EXPECT_FALSE(form.isVisible());
  form.NewTrayIcon1DblClick();
  EXPECT_TRUE(form.isVisible());
}

struct ExitCase {
  const char* name;
  bool confirmed;
};

void PrintTo(const ExitCase& c, std::ostream* out) { *out << c.name; }

class ExitTest : public MainFormTest, public ::testing::WithParamInterface<ExitCase> {};

TEST_P(ExitTest, EndsOnlyWhenConfirmedAndThenStoresEverySetting) {
  auto& form = MakeForm(kNoServer);
  form.FormCreate();
  form.NShowClick();
  int terminated = 0;
  QObject::connect(&form, &app::TMainForm::Terminated, [&terminated] { ++terminated; });
  std::filesystem::remove(SettingsFile());
  Boxes->Expect(BoxKind::Confirm, "Вы действительно хотите завершить работу программы?", GetParam().confirmed);
  form.TBTerminateClick();
  EXPECT_EQ(form.CloseAllowed, GetParam().confirmed);
  EXPECT_EQ(terminated, GetParam().confirmed ? 1 : 0);
  EXPECT_EQ(form.isVisible(), !GetParam().confirmed);
  EXPECT_EQ(std::filesystem::exists(SettingsFile()), GetParam().confirmed);
  if (GetParam().confirmed) {
    EXPECT_EQ(StoredSettings().ReadString("TMainForm", "ShowDialog", ""), "1");
  }
}

const ExitCase kExitCases[] = {{"Confirmed", true}, {"Cancelled", false}};

INSTANTIATE_TEST_SUITE_P(Exit, ExitTest, ::testing::ValuesIn(kExitCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainFormTest, SessionEndStoresTheSettingsAndEndsWhileTheWindowIsHidden) {
  auto& form = MakeForm(kNoServer);
  form.FormCreate();
  int terminated = 0;
  QObject::connect(&form, &app::TMainForm::Terminated, [&terminated] { ++terminated; });
  form.Timer1().SetInterval(120000);
  form.WMQueryEndSession();
  EXPECT_EQ(terminated, 1);
  EXPECT_FALSE(form.CloseAllowed);
  EXPECT_EQ(StoredSettings().ReadString("TMainForm", "Time", ""), "120000");
}

TEST_F(MainFormTest, SavingTheSettingsOfTenAccountsReplacesTheFileOnce) {
  for (int n = 0; n < 10; ++n)
    Settings.AccountList.emplace_back("pop" + std::to_string(n) + ".example.ru", "user" + std::to_string(n), "secret",
                                      false);
  auto& form = MakeForm(kNoServer);
  form.FormCreate();
  const int before = SettingsFileReplacements;
  form.Timer1().SetInterval(120000);
  form.WMQueryEndSession();
  EXPECT_EQ(SettingsFileReplacements - before, 1);
  const platform::IniRegistryStore stored = StoredSettings();
  EXPECT_EQ(stored.ReadString("TMainForm", "Time", ""), "120000");
  EXPECT_NE(stored.ReadString("TMainForm", "NormPos", "<missing>"), "<missing>") << "the placement is in the same file";
  EXPECT_EQ(stored.ReadInteger("Servers", "Count", 0), 10);
  EXPECT_EQ(stored.ReadString("Servers", "Host9", ""), "pop9.example.ru");
}

TEST_F(MainFormTest, StoredSettingsReachTheWidgets) {
  Settings.Interval = 0;
  Settings.WordWrap = true;
  Settings.FilesViewHeight = 120;
  Settings.Font.Name = "DejaVu Serif";
  Settings.Font.Size = 14;
  Settings.Font.Style = config::kFontBold;
  Settings.Font.Color = 0x0000FF;  // red, as 0x00BBGGRR
  auto& form = MakeForm(kNoServer);
  form.FormCreate();
  // Interval 0: the timer counts as enabled (idle) but never fires.
  EXPECT_EQ(form.Timer1().Interval(), 0);
  EXPECT_TRUE(form.Timer1().Enabled());
  EXPECT_TRUE(form.TBWordWrap()->isChecked());
  EXPECT_TRUE(form.View()->WordWrap());
  EXPECT_EQ(form.View()->FilesViewHeight(), 120);
  EXPECT_EQ(form.View()->BodyFont().family().toStdString(), "DejaVu Serif");
  EXPECT_EQ(form.View()->BodyFont().pointSize(), 14);
  EXPECT_TRUE(form.View()->BodyFont().bold());
  EXPECT_EQ(form.View()->BodyColor(), QColor(255, 0, 0));
}

TEST_F(MainFormTest, FontAppliedFromTheDialogSurvivesCancelAndIsStored) {
  auto& form = MakeForm(kNoServer);
  form.FormCreate();
  QFont chosen(QStringLiteral("DejaVu Sans Mono"), 17);
  chosen.setItalic(true);
  QTimer::singleShot(0, &form, [&form, chosen] {
    form.FontDialog1()->SetFont(chosen);
    form.FontDialog1()->SetColor(QColor(0, 0, 255));
    form.FontDialog1()->ApplyButton()->click();
    form.FontDialog1()->reject();
  });
  form.TBFontClick();
  EXPECT_EQ(form.View()->BodyFont().pointSize(), 17);
  EXPECT_TRUE(form.View()->BodyFont().italic());
  EXPECT_EQ(form.View()->BodyColor(), QColor(0, 0, 255));

  form.WMQueryEndSession();
  const auto stored = StoredSettings();
  EXPECT_EQ(stored.ReadString("Font", "Size", ""), "17");
  EXPECT_EQ(stored.ReadString("Font", "Style", ""), std::to_string(config::kFontItalic));
  EXPECT_EQ(stored.ReadString("Font", "Color", ""), std::to_string(0xFF0000));
}

TEST_F(MainFormTest, WordWrapButtonSwitchesTheBody) {
  auto& form = MakeForm(kNoServer);
  form.FormCreate();
  form.TBWordWrap()->trigger();
  EXPECT_TRUE(form.View()->WordWrap());
  form.TBWordWrap()->trigger();
  EXPECT_FALSE(form.View()->WordWrap());
}

}  // namespace
