#include "config/config_win.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSplitter>
#include <QTimeEdit>

#include <string>
#include <utility>
#include <vector>

#include "config/check_list_box.h"
#include "mail/pop3_session.h"
#include "platform/cp1251.h"
#include "tests/config/config_win_fixture.h"

namespace {

using config::TAccountList;
using config::TConfigWin;
using config::TServer;
using testsupport::ClickCheckBox;
using testsupport::Pick;
using testsupport::ShownBox;
using testsupport::Type;

const QString kDuplicateMessage = QStringLiteral("Включены серверы с совподающими именами серверов и пользователей!");

std::string Cp1251(const char* utf8) { return text::Utf8ToCp1251(utf8); }

TServer Account(const char* host, const char* userId, const char* passwd = "pw", bool checked = true) {
  return TServer(Cp1251(host), Cp1251(userId), Cp1251(passwd), checked);
}

struct Buttons {
  bool New, Delete, Test, Ok;
  bool operator==(const Buttons&) const = default;
};

Buttons ButtonsOf(const TConfigWin& win) {
  return {win.BtnNew()->isEnabled(), win.BtnDelete()->isEnabled(), win.BtnTest()->isEnabled(),
          win.OkBtn()->isEnabled()};
}

void PrintTo(const Buttons& b, std::ostream* out) {
  *out << "New " << b.New << ", Delete " << b.Delete << ", Test " << b.Test << ", OK " << b.Ok;
}

struct Entry {
  QString text;
  bool checked;
  bool operator==(const Entry&) const = default;
};

void PrintTo(const Entry& e, std::ostream* out) { *out << '"' << e.text.toStdString() << "\" " << e.checked; }

std::vector<Entry> EntriesOf(const TConfigWin& win) {
  std::vector<Entry> entries;
  for (int row = 0; row < win.CLBServers()->count(); ++row)
    entries.push_back({win.CLBServers()->item(row)->text(), win.CLBServers()->Checked(row)});
  return entries;
}

constexpr Buttons kAllEnabled{true, true, true, true};
constexpr Buttons kIncompleteSelected{false, true, false, false};
constexpr Buttons kNoSelection{true, false, false, true};

using ConfigWin = testsupport::ConfigWinFixture;

TEST_F(ConfigWin, ShowsItsControlsWithTheirTexts) {
  TAccountList accounts;
  auto win = Open(accounts);
  EXPECT_EQ(win->windowTitle(), QStringLiteral("Tessaro (настройка)"));
  EXPECT_FALSE(win->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
  const std::pair<const char*, QString> groups[] = {
      {"GroupBoxServer", QStringLiteral(" Сервер ")},
      {"GroupBoxOpov", QStringLiteral(" Оповещение ")},
      {"GroupBoxObn", QStringLiteral(" Обновление ")},
      {"GroupBoxConf", QStringLiteral(" Подтверждение ")},
  };
  for (const auto& [name, title] : groups) {
    const auto* group = win->findChild<QGroupBox*>(QString::fromLatin1(name));
    ASSERT_NE(group, nullptr) << name;
    EXPECT_EQ(group->title(), title) << name;
  }
  const std::pair<QAbstractButton*, QString> texts[] = {
      {win->BtnNew(), QStringLiteral("Новый")},
      {win->BtnDelete(), QStringLiteral("Удалить")},
      {win->BtnTest(), QStringLiteral("Проверка")},
      {win->OkBtn(), QStringLiteral("OK")},
      {win->CancelBtn(), QStringLiteral("Отмена")},
      {win->ShowMain(), QStringLiteral("основное окно")},
      {win->ShowDialog(), QStringLiteral("диалоговое окно")},
      {win->ShowSound(), QStringLiteral("звуковое сопровождение")},
      {win->ShowNotify(), QStringLiteral("системное уведомление")},
      {win->DeleteConf(), QStringLiteral("Удаление письма")},
      {win->ShowConfig(), QStringLiteral("Не отображать это окно при следующем запуске")},
      {win->CacheMessages(), QStringLiteral("Не загружать повторно полученные письма")},
  };
  for (const auto& [control, text] : texts) EXPECT_EQ(control->text(), text) << control->objectName().toStdString();
  EXPECT_EQ(win->CacheMessages()->parentWidget(), win->findChild<QGroupBox*>(QStringLiteral("GroupBoxObn")));

  std::vector<QString> labels;
  for (const QLabel* label : win->findChildren<QLabel*>()) labels.push_back(label->text());
  EXPECT_THAT(labels, ::testing::UnorderedElementsAre(QStringLiteral("Сервер:"), QStringLiteral("Пользователь:"),
                                                      QStringLiteral("Пароль:"), QStringLiteral("Защита:"),
                                                      QStringLiteral("Порт:"), QStringLiteral("Вход:"),
                                                      QStringLiteral("Команда пароля:"), QStringLiteral("Настройки для:"),
                                                      QString(), QStringLiteral("Время:"),
                                                      QStringLiteral("Пароли хранятся в файле настроек: "
                                                                     "связка ключей недоступна")));
  EXPECT_TRUE(win->PasswordsNote()->isVisible()) << "without a keyring the passwords stay in the file";
  QStringList securities;
  for (int index = 0; index < win->Security()->count(); ++index) securities << win->Security()->itemText(index);
  EXPECT_EQ(securities, (QStringList{QStringLiteral("нет"), QStringLiteral("SSL/TLS"), QStringLiteral("STLS")}));
  EXPECT_EQ(win->Time()->displayFormat(), QStringLiteral("HH:mm:ss"));
}

TEST_F(ConfigWin, PasswordShowsAsStars) {
  TAccountList accounts = {Account("pop.example.org", "bob", "secret")};
  auto win = Open(accounts);
  EXPECT_EQ(win->Passwd()->text(), QStringLiteral("secret"));
  EXPECT_EQ(win->Passwd()->displayText(), QStringLiteral("******"));
}

TEST_F(ConfigWin, FillsTheListWithCopiesAndSelectsTheFirst) {
  TAccountList accounts = {Account("pop.example.org", "bob", "one"), Account("почта.рф", "Иван", "два", false),
                           Account("mail.example.com", "", "")};
  auto win = Open(accounts);
  EXPECT_EQ(EntriesOf(*win), (std::vector<Entry>{{QStringLiteral("pop.example.org (bob)"), true},
                                                 {QStringLiteral("почта.рф (Иван)"), false},
                                                 {QStringLiteral("mail.example.com ()"), true}}));
  EXPECT_EQ(win->WorkingAccounts(), accounts);
  EXPECT_EQ(win->CLBServers()->currentRow(), 0);
  EXPECT_EQ(win->KeptIndex(), 0);
  EXPECT_EQ(win->Host()->text(), QStringLiteral("pop.example.org"));
  EXPECT_EQ(win->UserId()->text(), QStringLiteral("bob"));
  EXPECT_EQ(win->Passwd()->text(), QStringLiteral("one"));
  EXPECT_EQ(ButtonsOf(*win), kAllEnabled);

  Pick(*win, 1);
  EXPECT_EQ(win->UserId()->text(), QStringLiteral("Иван"));
  EXPECT_EQ(win->Passwd()->text(), QStringLiteral("два"));
  EXPECT_EQ(win->KeptIndex(), 1);
}

TEST_F(ConfigWin, EmptyListLeavesTheEditsDisabledAndAllowsNewAndOk) {
  TAccountList accounts;
  auto win = Open(accounts);
  EXPECT_EQ(win->CLBServers()->count(), 0);
  EXPECT_EQ(win->KeptIndex(), -1);
  for (const QLineEdit* edit : {win->Host(), win->UserId(), win->Passwd()}) {
    EXPECT_TRUE(edit->text().isEmpty()) << edit->objectName().toStdString();
    EXPECT_FALSE(edit->isEnabled()) << edit->objectName().toStdString();
  }
  EXPECT_FALSE(win->Security()->isEnabled());
  EXPECT_FALSE(win->Port()->isEnabled());
  EXPECT_EQ(ButtonsOf(*win), kNoSelection);
  win->BtnDeleteClick();
  win->BtnTestClick();
  win->OkBtnClick();
  EXPECT_EQ(win->result(), QDialog::Accepted);
  EXPECT_TRUE(accounts.empty());
  EXPECT_TRUE(boxes_.Shown.empty());
}

TEST_F(ConfigWin, NewAccountIsBlankAndCheckedAndBlocksUntilComplete) {
  TAccountList accounts = {Account("pop.example.org", "bob")};
  auto win = Open(accounts);
  win->BtnNewClick();
  EXPECT_EQ(EntriesOf(*win).back(), (Entry{QStringLiteral(" ()"), true}));
  EXPECT_EQ(win->WorkingAccounts().back(), TServer("", "", "", true));
  EXPECT_EQ(win->CLBServers()->currentRow(), 1);
  EXPECT_EQ(win->KeptIndex(), 1);
  EXPECT_TRUE(win->Host()->isEnabled());
  EXPECT_EQ(ButtonsOf(*win), kIncompleteSelected);

  win->BtnNewClick();
  EXPECT_EQ(win->CLBServers()->count(), 2) << "a second blank account while one is incomplete";

  Type(*win->Host(), QStringLiteral("pop.mail.ru"));
  EXPECT_EQ(ButtonsOf(*win), kIncompleteSelected) << "no user name yet";
  Type(*win->UserId(), QStringLiteral("anna"));
  EXPECT_EQ(ButtonsOf(*win), kAllEnabled);
  EXPECT_EQ(EntriesOf(*win).back(), (Entry{QStringLiteral("pop.mail.ru (anna)"), true}));
}

TEST_F(ConfigWin, HostWithoutDotLocksTheSelectionTheCheckMarksAndOk) {
  TAccountList accounts = {Account("pop.example.org", "bob"), Account("mail.example.com", "anna"),
                           Account("imap.example.net", "vera", "pw", false)};
  const TAccountList before = accounts;
  auto win = Open(accounts);
  Pick(*win, 1);
  Type(*win->Host(), QStringLiteral("localhost"));
  EXPECT_EQ(ButtonsOf(*win), kIncompleteSelected);

  Pick(*win, 0);
  EXPECT_EQ(win->CLBServers()->currentRow(), 1) << "the selection snaps back";
  EXPECT_EQ(win->Host()->text(), QStringLiteral("localhost"));

  ClickCheckBox(*win, 2);
  EXPECT_EQ(win->CLBServers()->currentRow(), 1) << "another entry's check box does not select it";
  EXPECT_FALSE(win->CLBServers()->Checked(2)) << "nor change its mark";
  EXPECT_FALSE(win->WorkingAccounts()[2].Checked);

  ClickCheckBox(*win, 1);
  EXPECT_TRUE(win->CLBServers()->Checked(1)) << "the incomplete account's own mark";
  EXPECT_TRUE(win->WorkingAccounts()[1].Checked);

  win->BtnNewClick();
  win->OkBtnClick();
  EXPECT_EQ(win->CLBServers()->count(), 3);
  EXPECT_TRUE(win->isVisible());
  EXPECT_EQ(accounts, before);

  Type(*win->Host(), QStringLiteral("local.host"));
  EXPECT_EQ(ButtonsOf(*win), kAllEnabled);
  Pick(*win, 0);
  EXPECT_EQ(win->KeptIndex(), 0);
}

TEST_F(ConfigWin, ToggleOnAnIncompleteEntryIsUndoneButMaySelectIt) {
  TAccountList accounts = {Account("pop.example.org", "bob"), Account("localhost", "anna")};
  auto win = Open(accounts);
  ClickCheckBox(*win, 1);
  EXPECT_EQ(win->CLBServers()->currentRow(), 1);
  EXPECT_EQ(win->KeptIndex(), 1);
  EXPECT_TRUE(win->CLBServers()->Checked(1));
  EXPECT_TRUE(win->WorkingAccounts()[1].Checked);
}

TEST_F(ConfigWin, ToggleOnACompleteEntryIsTakenOver) {
  TAccountList accounts = {Account("pop.example.org", "bob"), Account("mail.example.com", "anna")};
  auto win = Open(accounts);
  ClickCheckBox(*win, 1);
  EXPECT_EQ(win->CLBServers()->currentRow(), 1);
  EXPECT_FALSE(win->CLBServers()->Checked(1));
  EXPECT_FALSE(win->WorkingAccounts()[1].Checked);

  // The space key toggles the selected entry, through the list's own handling.
  QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
  QCoreApplication::sendEvent(win->CLBServers(), &space);
  EXPECT_TRUE(win->CLBServers()->Checked(1));
  EXPECT_TRUE(win->WorkingAccounts()[1].Checked);
  EXPECT_EQ(accounts[1].Checked, true) << "the opener's account is left alone";
}

TEST_F(ConfigWin, EditsWriteThroughToTheSelectedAccount) {
  TAccountList accounts = {Account("pop.example.org", "bob", "pw", false)};
  auto win = Open(accounts);
  Type(*win->Host(), QStringLiteral("почта.рф"));
  Type(*win->UserId(), QStringLiteral("Ёлкин"));
  Type(*win->Passwd(), QStringLiteral("тайна"));
  EXPECT_EQ(win->WorkingAccounts()[0], Account("почта.рф", "Ёлкин", "тайна", false));
  EXPECT_EQ(EntriesOf(*win), (std::vector<Entry>{{QStringLiteral("почта.рф (Ёлкин)"), false}}));

  Type(*win->Passwd(), QString());
  EXPECT_EQ(win->WorkingAccounts()[0].Passwd, "");
  EXPECT_EQ(ButtonsOf(*win), kAllEnabled) << "an empty password is allowed";
  Type(*win->UserId(), QString());
  EXPECT_EQ(ButtonsOf(*win), kIncompleteSelected);
}

TServer Secured(const char* host, platform::Security security, int port, const char* pin = "") {
  TServer account = Account(host, "bob");
  account.Security = security;
  account.Port = port;
  account.CertSha256 = pin;
  return account;
}

// The user picks entry `index` of the security box.
void Choose(TConfigWin& win, int index) {
  win.Security()->setCurrentIndex(index);
  emit win.Security()->activated(index);
}

TEST_F(ConfigWin, SecurityAndPortFollowTheSelectedAccount) {
  TAccountList accounts = {Secured("a.org", platform::Security::Tls, 995, "ab"),
                           Secured("b.org", platform::Security::StartTls, 2110),
                           Secured("c.org", platform::Security::None, 110)};
  auto win = Open(accounts);
  const std::pair<int, QString> shown[] = {{1, QStringLiteral("995")}, {2, QStringLiteral("2110")},
                                           {0, QStringLiteral("110")}};
  for (int row = 0; row < 3; ++row) {
    Pick(*win, row);
    EXPECT_EQ(win->Security()->currentIndex(), shown[row].first) << row;
    EXPECT_EQ(win->Port()->text(), shown[row].second) << row;
    EXPECT_TRUE(win->Security()->isEnabled()) << row;
    EXPECT_TRUE(win->Port()->isEnabled()) << row;
  }
  win->BtnNewClick();
  EXPECT_EQ(win->Security()->currentIndex(), 0) << "a new account is plain";
  EXPECT_EQ(win->Port()->text(), QStringLiteral("110"));
}

TEST_F(ConfigWin, ChoosingASecurityMovesOnlyAPortThatHeldTheOldDefault) {
  struct Case {
    const char* name;
    platform::Security from;
    int port;
    int chosen;
    platform::Security to;
    int expectedPort;
  } cases[] = {
      {"none to SSL/TLS", platform::Security::None, 110, 1, platform::Security::Tls, 995},
      {"SSL/TLS to none", platform::Security::Tls, 995, 0, platform::Security::None, 110},
      {"SSL/TLS to STLS", platform::Security::Tls, 995, 2, platform::Security::StartTls, 110},
      {"STLS to SSL/TLS", platform::Security::StartTls, 110, 1, platform::Security::Tls, 995},
      {"none to STLS", platform::Security::None, 110, 2, platform::Security::StartTls, 110},
      {"own port stays", platform::Security::None, 2110, 1, platform::Security::Tls, 2110},
      {"own TLS port stays", platform::Security::Tls, 110, 0, platform::Security::None, 110},
      {"the same again", platform::Security::Tls, 995, 1, platform::Security::Tls, 995},
  };
  for (const Case& c : cases) {
    TAccountList accounts = {Secured("a.org", c.from, c.port)};
    auto win = Open(accounts);
    Choose(*win, c.chosen);
    EXPECT_EQ(win->WorkingAccounts()[0].Security, c.to) << c.name;
    EXPECT_EQ(win->WorkingAccounts()[0].Port, c.expectedPort) << c.name;
    EXPECT_EQ(win->Port()->text(), QString::number(c.expectedPort)) << c.name;
  }
}

TEST_F(ConfigWin, TypedPortWritesThroughAndStaysAcrossSecurityChoices) {
  TAccountList accounts = {Account("a.org", "a")};
  auto win = Open(accounts);
  Type(*win->Port(), QStringLiteral("8110"));
  EXPECT_EQ(win->WorkingAccounts()[0].Port, 8110);
  Choose(*win, 1);
  Choose(*win, 2);
  EXPECT_EQ(win->WorkingAccounts()[0].Port, 8110);
  EXPECT_EQ(win->Port()->text(), QStringLiteral("8110"));
}

TEST_F(ConfigWin, LoginMethodFollowsTheSelectedAccountAndWritesThrough) {
  TAccountList accounts = {Account("a.org", "a"), Account("b.org", "b")};
  accounts[1].Login = mail::LoginMethod::kApop;
  auto win = Open(accounts);
  EXPECT_EQ(win->Login()->count(), mail::kLoginMethodCount);
  EXPECT_EQ(win->Login()->currentText(), QStringLiteral("USER/PASS"));
  win->Login()->setCurrentIndex(3);
  emit win->Login()->activated(3);
  EXPECT_EQ(win->WorkingAccounts()[0].Login, mail::LoginMethod::kXOAuth2);
  Pick(*win, 1);
  EXPECT_EQ(win->Login()->currentText(), QStringLiteral("APOP"));
  Pick(*win, 0);
  EXPECT_EQ(win->Login()->currentText(), QStringLiteral("OAuth 2.0 (XOAUTH2)"));
}

// A provider's preset fills the server, its protection, port and login method
// once and says what the provider asks for; what is typed afterwards stays.
TEST_F(ConfigWin, AProviderPresetFillsTheAccountOnceAndShowsItsNote) {
  TAccountList accounts = {Account("a.org", "bob@gmail.com"), Account("b.org", "b")};
  auto win = Open(accounts);
  ASSERT_EQ(win->Preset()->itemText(0), QStringLiteral("вручную"));
  const int gmail = win->Preset()->findText(QStringLiteral("Gmail"));
  ASSERT_GT(gmail, 0);
  win->Preset()->setCurrentIndex(gmail);
  emit win->Preset()->activated(gmail);
  const TServer& filled = win->WorkingAccounts()[0];
  EXPECT_EQ(filled.Host, "pop.gmail.com");
  EXPECT_EQ(filled.Security, platform::Security::Tls);
  EXPECT_EQ(filled.Port, 995);
  EXPECT_EQ(filled.Login, mail::LoginMethod::kXOAuth2);
  EXPECT_EQ(filled.UserId, "bob@gmail.com") << "the user name is the user's";
  EXPECT_EQ(win->Host()->text(), QStringLiteral("pop.gmail.com"));
  EXPECT_EQ(win->Login()->currentText(), QStringLiteral("OAuth 2.0 (XOAUTH2)"));
  EXPECT_TRUE(win->PresetNote()->text().contains(QStringLiteral("recent:")));

  Type(*win->Port(), QStringLiteral("1995"));
  EXPECT_EQ(win->WorkingAccounts()[0].Port, 1995) << "typing after the choice wins";
  Pick(*win, 1);
  EXPECT_EQ(win->Preset()->currentIndex(), 0);
  EXPECT_TRUE(win->PresetNote()->text().isEmpty());
  EXPECT_EQ(win->WorkingAccounts()[1].Host, "b.org") << "other accounts are untouched";
}

TEST_F(ConfigWin, PasswordCommandFollowsTheSelectedAccountAndWritesThrough) {
  TAccountList accounts = {Account("a.org", "a"), Account("b.org", "b")};
  auto win = Open(accounts);
  Type(*win->PasswordCommand(), QStringLiteral("oauth2 --token a"));
  EXPECT_EQ(win->WorkingAccounts()[0].PasswordCommand, "oauth2 --token a");
  Pick(*win, 1);
  EXPECT_EQ(win->PasswordCommand()->text(), QString());
  Pick(*win, 0);
  EXPECT_EQ(win->PasswordCommand()->text(), QStringLiteral("oauth2 --token a"));
}

TEST_F(ConfigWin, PortTakesOnlyNumbersFrom1To65535) {
  struct Case {
    const char* name;
    QString typed;
    QString shown;  // what the field holds afterwards
    int port;       // the account's port afterwards
  } cases[] = {
      {"highest", QStringLiteral("65535"), QStringLiteral("65535"), 65535},
      {"lowest", QStringLiteral("1"), QStringLiteral("1"), 1},
      {"too high is not typed", QStringLiteral("65536"), QStringLiteral("110"), 110},
      {"six digits are not typed", QStringLiteral("110110"), QStringLiteral("110"), 110},
      {"letters are not typed", QStringLiteral("pop"), QStringLiteral("110"), 110},
      {"a sign is not typed", QStringLiteral("-1"), QStringLiteral("110"), 110},
      {"zero is not typed", QStringLiteral("0"), QStringLiteral("110"), 110},
      {"a leading zero is not typed", QStringLiteral("0995"), QStringLiteral("110"), 110},
      {"empty is no port yet", QString(), QString(), 110},
  };
  for (const Case& c : cases) {
    TAccountList accounts = {Account("a.org", "a")};
    auto win = Open(accounts);
    Type(*win->Port(), c.typed);
    EXPECT_EQ(win->Port()->text(), c.shown) << c.name;
    EXPECT_EQ(win->WorkingAccounts()[0].Port, c.port) << c.name;
  }
}

TEST_F(ConfigWin, SecurityPortAndPinGoBackOnOkOnly) {
  const TAccountList before = {Secured("a.org", platform::Security::None, 110, "cd")};
  TAccountList accounts = before;
  {
    auto win = Open(accounts);
    Choose(*win, 1);
    win->CancelBtn()->click();
  }
  EXPECT_EQ(accounts, before);
  auto win = Open(accounts);
  Choose(*win, 2);
  Type(*win->Port(), QStringLiteral("1110"));
  win->OkBtnClick();
  EXPECT_EQ(accounts, (TAccountList{Secured("a.org", platform::Security::StartTls, 1110, "cd")}));
}

TEST_F(ConfigWin, DeleteSelectsTheSameIndexOrTheNewLast) {
  struct Case {
    const char* name;
    int deleted;
    int selectedAfter;
    std::vector<QString> remaining;
  } cases[] = {
      {"first entry", 0, 0, {QStringLiteral("b.org (b)"), QStringLiteral("c.org (c)")}},
      {"middle entry", 1, 1, {QStringLiteral("a.org (a)"), QStringLiteral("c.org (c)")}},
      {"last entry", 2, 1, {QStringLiteral("a.org (a)"), QStringLiteral("b.org (b)")}},
  };
  for (const Case& c : cases) {
    TAccountList accounts = {Account("a.org", "a"), Account("b.org", "b"), Account("c.org", "c")};
    auto win = Open(accounts);
    Pick(*win, c.deleted);
    win->BtnDeleteClick();
    std::vector<QString> remaining;
    for (const Entry& entry : EntriesOf(*win)) remaining.push_back(entry.text);
    EXPECT_EQ(remaining, c.remaining) << c.name;
    EXPECT_EQ(win->WorkingAccounts().size(), 2u) << c.name;
    EXPECT_EQ(win->CLBServers()->currentRow(), c.selectedAfter) << c.name;
    EXPECT_EQ(win->KeptIndex(), c.selectedAfter) << c.name;
    EXPECT_EQ(win->Host()->text(), c.remaining[static_cast<std::size_t>(c.selectedAfter)].section(' ', 0, 0))
        << c.name;
    EXPECT_EQ(accounts.size(), 3u) << c.name;
  }
}

TEST_F(ConfigWin, DeletingTheOnlyEntryLeavesNoSelection) {
  TAccountList accounts = {Account("localhost", "bob")};
  auto win = Open(accounts);
  EXPECT_EQ(ButtonsOf(*win), kIncompleteSelected) << "an incomplete account can be deleted";
  win->BtnDeleteClick();
  EXPECT_EQ(win->CLBServers()->count(), 0);
  EXPECT_EQ(win->CLBServers()->currentRow(), -1);
  EXPECT_EQ(win->KeptIndex(), -1);
  EXPECT_TRUE(win->Host()->text().isEmpty());
  EXPECT_FALSE(win->Host()->isEnabled());
  EXPECT_EQ(ButtonsOf(*win), kNoSelection);
  win->OkBtnClick();
  EXPECT_TRUE(accounts.empty()) << "OK empties the opener's list";
}

TEST_F(ConfigWin, TwoCheckedAccountsMayNotNameTheSameMailbox) {
  struct Case {
    const char* name;
    TAccountList accounts;
    bool refused;
  } cases[] = {
      {"Latin host and user in other letter case",
       {Account("POP.EXAMPLE.ORG", "BOB", "one"), Account("pop.example.org", "bob", "two")},
       true},
      {"Cyrillic host and user in other letter case",
       {Account("ПОЧТА.РФ", "ИВАН"), Account("почта.рф", "иван")},
       true},
      {"Cyrillic letters beyond Russian",
       {Account("ЁЖ.УКР", "ЇЖАК ЎЇ ЂЉЊЋЏ ҐЄІЅЈ"), Account("ёж.укр", "їжак ўї ђљњћџ ґєіѕј")},
       true},
      {"the same pair, one unchecked",
       {Account("POP.EXAMPLE.ORG", "BOB"), Account("pop.example.org", "bob", "pw", false)},
       false},
      {"a trailing blank in one host", {Account("pop.example.org ", "bob"), Account("pop.example.org", "bob")}, false},
      {"other user names", {Account("pop.example.org", "bob"), Account("pop.example.org", "bob2")}, false},
      {"ё is not е", {Account("ёлка.рф", "bob"), Account("елка.рф", "bob")}, false},
      {"apart in the list",
       {Account("a.org", "x"), Account("b.org", "y"), Account("mail.org", "z"), Account("A.ORG", "X")},
       true},
  };
  for (Case& c : cases) {
    TAccountList accounts = c.accounts;
    boxes_.Shown.clear();
    auto win = Open(accounts);
    win->OkBtnClick();
    if (c.refused) {
      EXPECT_EQ(boxes_.Shown, (std::vector<ShownBox>{{"error", kDuplicateMessage}})) << c.name;
      EXPECT_TRUE(win->isVisible()) << c.name;
      EXPECT_NE(win->result(), QDialog::Accepted) << c.name;
      EXPECT_EQ(win->WorkingAccounts(), c.accounts) << c.name << ": the edits stay";
    } else {
      EXPECT_TRUE(boxes_.Shown.empty()) << c.name;
      EXPECT_EQ(win->result(), QDialog::Accepted) << c.name;
    }
    EXPECT_EQ(accounts, c.accounts) << c.name;
  }
}

TEST_F(ConfigWin, OkWritesCopiesBackInListOrderUncheckedIncluded) {
  TAccountList accounts = {Account("a.org", "a", "1"), Account("b.org", "b", "2", false), Account("c.org", "c", "3")};
  auto win = Open(accounts);
  win->BtnDeleteClick();  // a.org
  Type(*win->Host(), QStringLiteral("bb.org"));
  win->BtnNewClick();
  Type(*win->Host(), QStringLiteral("d.org"));
  Type(*win->UserId(), QStringLiteral("d"));
  Type(*win->Passwd(), QStringLiteral("4"));
  ClickCheckBox(*win, 1);  // c.org off
  win->OkBtnClick();
  EXPECT_EQ(win->result(), QDialog::Accepted);
  EXPECT_FALSE(win->isVisible());
  EXPECT_EQ(accounts, (TAccountList{Account("bb.org", "b", "2", false), Account("c.org", "c", "3", false),
                                    Account("d.org", "d", "4")}));
}

TEST_F(ConfigWin, CancelAfterEditsLeavesTheOpenersListAsItWas) {
  const TAccountList before = {Account("a.org", "a", "1"), Account("b.org", "b", "2", false)};
  struct Case {
    const char* name;
    void (*close)(TConfigWin&);
  } cases[] = {
      {"Отмена", [](TConfigWin& win) { win.CancelBtn()->click(); }},
      {"close box", [](TConfigWin& win) { win.close(); }},
  };
  for (const Case& c : cases) {
    TAccountList accounts = before;
    auto win = Open(accounts);
    Type(*win->Host(), QStringLiteral("changed.org"));
    ClickCheckBox(*win, 1);
    win->BtnNewClick();
    Type(*win->Host(), QStringLiteral("new.org"));
    Type(*win->UserId(), QStringLiteral("new"));
    Pick(*win, 0);
    win->BtnDeleteClick();
    c.close(*win);
    EXPECT_EQ(win->result(), QDialog::Rejected) << c.name;
    EXPECT_FALSE(win->isVisible()) << c.name;
    EXPECT_EQ(accounts, before) << c.name;
    EXPECT_NE(Store().ReadString("TConfigWin", "NormPos", ""), "") << c.name << ": the placement is saved";
    EXPECT_EQ(Store().ReadInteger("TConfigWin", "CLBServersWidth", -1), win->CLBServers()->width()) << c.name;
  }
}

TEST_F(ConfigWin, ListWidthIsKeptBetweenShows) {
  TAccountList accounts = {Account("a.org", "a")};
  {
    auto win = Open(accounts);
    EXPECT_EQ(win->CLBServers()->width(), 182) << "the width of a first start";
    const QList<int> sizes = win->Splitter()->sizes();
    win->Splitter()->setSizes({240, sizes[0] + sizes[1] - 240});  // the user drags the splitter
    win->CancelBtn()->click();
  }
  EXPECT_EQ(Store().ReadInteger("TConfigWin", "CLBServersWidth", -1), 240);
  {
    auto win = Open(accounts);
    EXPECT_EQ(win->CLBServers()->width(), 240);
    win->OkBtnClick();
  }
  Store().WriteString("TConfigWin", "CLBServersWidth", "wide");
  auto win = Open(accounts);
  EXPECT_EQ(win->CLBServers()->width(), 182) << "a value that is no number leaves the design width";
}

TEST_F(ConfigWin, OnlyTheWidthCanChange) {
  TAccountList accounts;
  auto win = Open(accounts);
  const QSize first = win->size();
  EXPECT_GE(first.width(), 497);
  EXPECT_GE(first.height(), 219);
  win->resize(first.width() + 150, first.height() + 100);
  EXPECT_EQ(win->size(), QSize(first.width() + 150, first.height()));
  EXPECT_EQ(win->CLBServers()->width(), 182) << "the fields take the extra width";
}

TEST_F(ConfigWin, NeitherEnterNorEscPressesAButton) {
  TAccountList accounts = {Account("a.org", "a")};
  auto win = Open(accounts);
  for (QWidget* target : {static_cast<QWidget*>(win.get()), static_cast<QWidget*>(win->Host())}) {
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
      QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
      QCoreApplication::sendEvent(target, &press);
      EXPECT_TRUE(win->isVisible()) << target->objectName().toStdString() << " key " << key;
    }
  }
  EXPECT_EQ(win->result(), 0);
}

TEST_F(ConfigWin, OkHasTheFirstFocusAndLabelsMoveItToTheirFields) {
  TAccountList accounts = {Account("a.org", "a")};
  auto win = Open(accounts);
  EXPECT_EQ(win->focusWidget(), win->OkBtn());
  const std::pair<QString, QWidget*> labels[] = {
      {QStringLiteral("Сервер:"), win->Host()},
      {QStringLiteral("Пользователь:"), win->UserId()},
      {QStringLiteral("Пароль:"), win->Passwd()},
      {QStringLiteral("Защита:"), win->Security()},
      {QStringLiteral("Порт:"), win->Port()},
      {QStringLiteral("Время:"), win->Time()},
  };
  for (const auto& [text, field] : labels) {
    QLabel* label = nullptr;
    for (QLabel* candidate : win->findChildren<QLabel*>())
      if (candidate->text() == text) label = candidate;
    ASSERT_NE(label, nullptr) << text.toStdString();
    const QPointF centre = QRectF(label->rect()).center();
    QMouseEvent press(QEvent::MouseButtonPress, centre, label->mapToGlobal(centre), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(label, &press);
    EXPECT_EQ(win->focusWidget(), field) << text.toStdString();
  }
}

TEST_F(ConfigWin, SessionKeepsItsDesignValues) {
  TAccountList accounts;
  auto win = Open(accounts);
  EXPECT_EQ(win->KelPOP1().Port, "110");
  EXPECT_EQ(win->KelPOP1().DecodeProgressStep, 10);
  EXPECT_EQ(win->KelPOP1().RetrieveProgressStep, 10);
  EXPECT_EQ(win->KelPOP1().ErrorInFormatOfMsg, Cp1251("Ошибочный формат сообщения!"));
}

}  // namespace
