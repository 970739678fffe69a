// The check pass against the scripted fake server and a real Dovecot server.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAction>
#include <QPlainTextEdit>

#include <chrono>
#include <functional>
#include <ostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/window/busy_globe.h"
#include "app/window/main_form.h"
#include "app/view/message_view.h"
#include "desktop/busy_cursor.h"
#include "app/notice/new_mes_win.h"
#include "desktop/qor_status_bar.h"
#include "mail/pop3_session.h"
#include "platform/seen_ids_store.h"
#include "tests/app/main_form_fixture.h"
#include "tests/support/closed_port.h"
#include "tests/support/dovecot_server.h"
#include "tests/support/token_introspection.h"

namespace {

using namespace testsupport;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::vector<std::string> Numbered(const std::string& prefix, int count) {
  std::vector<std::string> messages;
  for (int i = 1; i <= count; ++i)
    messages.push_back(Message("anna@example.org", prefix + std::to_string(i), "Body " + std::to_string(i) + "."));
  return messages;
}

std::string Status(app::TMainForm& form) { return form.QorStatusBar1()->SimpleText().toStdString(); }

TEST_F(MainFormTest, TwoAccountsComeInListOrderEachInServerOrder) {
  const std::vector<std::string> anna = {Message("x@example.org", "anna 1", "One."),
                                         Message("x@example.org", "anna 2", "Two.")};
  const std::vector<std::string> boris = {Message("y@example.org", "boris 1", "Three."),
                                          Message("y@example.org", "boris 2", "Four."),
                                          Message("y@example.org", "boris 3", "Five.")};
  DovecotServer server({{"anna", "a-secret", anna}, {"boris", "b-secret", boris}});
  Settings.AccountList = {{"127.0.0.1", "anna", "a-secret", true},
                          {"127.0.0.1", "nobody", "unused", false},
                          {"localhost", "boris", "b-secret", true}};
  auto& form = MakeForm(server.Port());
  form.FormCreate();

  EXPECT_THAT(Subjects(), ElementsAre("anna 1", "anna 2", "boris 1", "boris 2", "boris 3"));
  const mail::TKelMsg& second = form.KelMsgList2().Items(1);
  EXPECT_EQ(second.AccountHost, "127.0.0.1");
  EXPECT_EQ(second.AccountUserId, "anna");
  EXPECT_EQ(second.AccountPasswd, "") << "the password stays with the account";
  EXPECT_EQ(second.AccountId, form.AccountList()[0].Id);
  EXPECT_NE(form.KelMsgList2().Items(4).AccountId, second.AccountId);
  EXPECT_EQ(second.TopHeaders, TopHeaders(anna[1]));
  EXPECT_EQ(form.KelMsgList2().Items(4).AccountHost, "localhost");
  EXPECT_EQ(form.KelMsgList2().Items(4).AccountUserId, "boris");
  EXPECT_EQ(Status(form), "Прочитано писем: 5");
  EXPECT_EQ(form.windowTitle().toStdString(), "Tessaro (POP3) - 5");
  EXPECT_EQ(form.CurrentIndex, 0);
  EXPECT_THAT(Waits, ElementsAre(100, 100));  // one pause after each visited account
  EXPECT_TRUE(form.QorStatusBar1()->SimplePanel());
  EXPECT_TRUE(form.Timer1().Enabled());
  EXPECT_TRUE(form.TBNext()->isEnabled());
  EXPECT_FALSE(form.TBPred()->isEnabled());
}

struct RefusedLastCase {
  const char* name;
  std::string uidlReply;  // empty: the ids uid-1, uid-2
  int announced;
  std::set<std::string> recorded;
};

void PrintTo(const RefusedLastCase& c, std::ostream* out) { *out << c.name; }

class RefusedLastTest : public MainFormTest, public ::testing::WithParamInterface<RefusedLastCase> {};

TEST_P(RefusedLastTest, UniqueIdsTellTheNewMailAndOnlyAWholeListIsRecorded) {
  Settings.ShowMain = true;
  Settings.ShowDialog = true;
  Settings.ShowSound = true;
  Settings.AccountList = {{"127.0.0.1", "bob", "secret", true}};
  FakePop3Server server(PassScript(Numbered("old ", 2), "-ERR unknown command\r\n", GetParam().uidlReply));
  auto& form = MakeForm(server.Port());
  form.FormCreate();
  EXPECT_THAT(server.Finish(), IsEmpty());
  EXPECT_THAT(Subjects(), ElementsAre("old 1", "old 2"));
  if (GetParam().announced > 0) {
    ASSERT_NE(form.NewMesWin().NewMesWin(), nullptr);
    EXPECT_EQ(form.NewMesWin().NewMesWin()->NewCount(), GetParam().announced);
  } else {
    EXPECT_EQ(form.NewMesWin().NewMesWin(), nullptr);
  }
  EXPECT_EQ(form.isVisible(), GetParam().announced > 0);
  EXPECT_EQ(SoundRequests, GetParam().announced > 0 ? 1 : 0);
  EXPECT_EQ(platform::FileSeenIdsStore(StateFolder()).Load({"127.0.0.1", server.Port(), "bob"}),
            GetParam().recorded);
}

const RefusedLastCase kRefusedLastCases[] = {
    {"FirstPassAnnouncesEveryMessage", "", 2, {"uid-1", "uid-2"}},
    {"UidlRefused", "-ERR not supported\r\n", 0, {}},
    {"UidlListsNothingUsable", "+OK\r\nnonsense\r\n.\r\n", 0, {}},
};

INSTANTIATE_TEST_SUITE_P(RefusedLast, RefusedLastTest, ::testing::ValuesIn(kRefusedLastCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct NoticeCase {
  const char* name;
  bool closedBetween;
  int shownNew;
};

void PrintTo(const NoticeCase& c, std::ostream* out) { *out << c.name; }

class NoticeTest : public MainFormTest, public ::testing::WithParamInterface<NoticeCase> {};

TEST_P(NoticeTest, NewMailCountsAddUpWhileTheNoticeStaysOpen) {
  Settings.AccountList = {{"127.0.0.1", "bob", "secret", true}};
  FakePop3Server first(PassScript(Numbered("m", 3), "+OK 1\r\n"));  // 2 new
  auto& form = MakeForm(first.Port());
  form.FormCreate();
  EXPECT_THAT(first.Finish(), IsEmpty());
  ASSERT_NE(form.NewMesWin().NewMesWin(), nullptr);
  EXPECT_EQ(form.NewMesWin().NewMesWin()->NewCount(), 2);
  if (GetParam().closedBetween) form.NewMesWin().NewMesWin()->Button1Click();

  FakePop3Server second(PassScript(Numbered("m", 5), "+OK 2\r\n"));  // 3 new
  form.AccountList()[0].Port = second.Port();
  form.TBRefreshClick();
  EXPECT_THAT(second.Finish(), IsEmpty());
  ASSERT_NE(form.NewMesWin().NewMesWin(), nullptr);
  EXPECT_EQ(form.NewMesWin().NewMesWin()->NewCount(), GetParam().shownNew);
  EXPECT_EQ(form.NewMesWin().NewMesWin()->TotalCount(), 5);
  EXPECT_EQ(SoundRequests, 2);  // the new-mail sound, refused each time; the window stayed hidden
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(form.CurrentIndex, 0);
}

const NoticeCase kNoticeCases[] = {{"KeptOpen", false, 5}, {"ClosedBetween", true, 3}};

INSTANTIATE_TEST_SUITE_P(Notice, NoticeTest, ::testing::ValuesIn(kNoticeCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainFormTest, NewMailRaisesTheWindowWhenAsked) {
  Settings.ShowMain = true;
  Settings.ShowDialog = false;
  Settings.ShowSound = false;
  Settings.AccountList = {{"127.0.0.1", "bob", "secret", true}};
  FakePop3Server server(PassScript(Numbered("m", 1), "+OK 0\r\n"));
  auto& form = MakeForm(server.Port());
  form.FormCreate();
  EXPECT_THAT(server.Finish(), IsEmpty());
  EXPECT_TRUE(form.isVisible());
  EXPECT_EQ(form.NewMesWin().NewMesWin(), nullptr);
  EXPECT_EQ(SoundRequests, 0);
}

// The account's login method is the one the window's pass logs in with.
TEST_F(MainFormTest, ThePassLogsInByTheAccountsLoginMethod) {
  DovecotServer server({{"bob", "secret", Numbered("m", 2)}});
  for (const mail::LoginMethod method : {mail::LoginMethod::kApop, mail::LoginMethod::kSaslPlain}) {
    Settings.AccountList = {{"127.0.0.1", "bob", "secret", true}};
    Settings.AccountList[0].Login = method;
    auto& form = MakeForm(server.Port());
    form.FormCreate();
    EXPECT_THAT(Subjects(), ElementsAre("m1", "m2")) << static_cast<int>(method);
  }
  EXPECT_TRUE(server.Logged("method=APOP")) << server.Log();
}

TEST_F(MainFormTest, ThePassLogsInWithAnOAuthTokenFromThePasswordCommand) {
  TokenIntrospection introspection("good-token", "bob");
  DovecotServer server({{"bob", "secret", Numbered("m", 1)}}, std::nullopt, introspection.Url());
  Settings.AccountList = {{"127.0.0.1", "bob", "", true}};
  Settings.AccountList[0].Login = mail::LoginMethod::kXOAuth2;
  Settings.AccountList[0].PasswordCommand = "echo good-token";
  auto& form = MakeForm(server.Port());
  form.FormCreate();
  EXPECT_THAT(Subjects(), ElementsAre("m1"));
  EXPECT_TRUE(server.Logged("method=XOAUTH2")) << server.Log();
}

TEST_F(MainFormTest, UnchangedMailboxKeepsThePositionAndADeletionElsewhereResetsIt) {
  DovecotServer server({{"bob", "secret", Numbered("m", 3)}});
  Settings.AccountList = {{"127.0.0.1", "bob", "secret", true}};
  auto& form = MakeForm(server.Port());
  form.FormCreate();
  form.TBNextClick();
  form.TBNextClick();
  ASSERT_EQ(form.CurrentIndex, 2);
  form.TBRefreshClick();
  EXPECT_EQ(form.CurrentIndex, 2);
  EXPECT_FALSE(form.TBNext()->isEnabled());

  DeleteElsewhere(server.Port(), "bob", "secret", 1);
  form.TBRefreshClick();
  EXPECT_THAT(Subjects(), ElementsAre("m2", "m3"));
  EXPECT_EQ(form.CurrentIndex, 0);
}

// Dovecot does not answer LAST: new mail is what no complete pass has seen
// before, remembered from one window (one run of the program) to the next.
TEST_F(MainFormTest, WithoutLastOnlyMailNoPassHasSeenIsAnnounced) {
  Settings.ShowMain = false;  // a hidden window plays no sound when a pass starts
  Settings.ShowDialog = true;
  Settings.ShowSound = true;
  DovecotServer server({{"bob", "secret", Numbered("m", 2)}});
  Settings.AccountList = {{"127.0.0.1", "bob", "secret", true}};
  auto& form = MakeForm(server.Port());
  form.FormCreate();
  ASSERT_NE(form.NewMesWin().NewMesWin(), nullptr);
  EXPECT_EQ(form.NewMesWin().NewMesWin()->NewCount(), 2);  // a first pass announces every message
  EXPECT_EQ(SoundRequests, 1);

  form.TBRefreshClick();
  EXPECT_EQ(form.NewMesWin().NewMesWin()->NewCount(), 2);  // nothing added
  EXPECT_EQ(SoundRequests, 1);

  server.Deliver("bob", Message("vera@example.org", "m3", "Arrived later."));
  form.TBRefreshClick();
  EXPECT_EQ(form.NewMesWin().NewMesWin()->NewCount(), 3);
  EXPECT_EQ(form.NewMesWin().NewMesWin()->TotalCount(), 3);
  EXPECT_EQ(SoundRequests, 2);

  auto& restarted = MakeForm(server.Port());
  restarted.FormCreate();
  EXPECT_THAT(Subjects(), ElementsAre("m1", "m2", "m3"));
  EXPECT_EQ(restarted.NewMesWin().NewMesWin(), nullptr);
  EXPECT_EQ(SoundRequests, 2);
}

// `script` with a CAPA reply that asks for `seconds` between two logins.
std::vector<Step> WithLoginDelay(std::vector<Step> script, int seconds) {
  for (std::size_t i = 0; i + 1 < script.size(); ++i)
    if (script[i].kind == Step::Kind::kExpect && script[i].expected == "CAPA\r\n")
      script[i + 1] = Server("+OK\r\nTOP\r\nUSER\r\nLOGIN-DELAY " + std::to_string(seconds) + "\r\n.\r\n");
  return script;
}

// Two accounts on one server, only the first with a login delay: a tick
// within the delay logs into the second alone and the first keeps its list.
TEST_F(MainFormTest, AServersLoginDelayPutsOffItsAccountWhichKeepsItsMessages) {
  using namespace std::chrono_literals;
  Settings.AccountList = {{"127.0.0.1", "bob", "secret", true}, {"localhost", "bob", "secret", true}};
  const std::vector<std::string> delayed = Numbered("delayed ", 2);
  const std::vector<std::string> other = Numbered("other ", 2);
  FakePop3Server server(std::vector<std::vector<Step>>{
      WithLoginDelay(PassScript({delayed[0]}, "+OK 0\r\n"), 300), PassScript({other[0]}, "+OK 0\r\n"),
      PassScript(other, "+OK 1\r\n"),
      WithLoginDelay(PassScript(delayed, "+OK 1\r\n"), 300), PassScript(other, "+OK 2\r\n")});
  auto& form = MakeForm(server.Port());
  form.FormCreate();
  ASSERT_THAT(Subjects(), ElementsAre("delayed 1", "other 1"));

  Now += 10s;
  form.Timer1Timer();
  EXPECT_THAT(Subjects(), ElementsAre("delayed 1", "other 1", "other 2"));
  EXPECT_EQ(Status(form), "Прочитано писем: 3. Отложено ящиков: 1 (bob - сервер разрешает вход раз в 300 с, "
                          "до следующего входа 290 с)");
  EXPECT_EQ(form.KelMsgList2().Items(0).AccountId, form.AccountList()[0].Id);

  Now += 290s;
  form.Timer1Timer();
  EXPECT_THAT(Subjects(), ElementsAre("delayed 1", "delayed 2", "other 1", "other 2"));
  EXPECT_EQ(Status(form), "Прочитано писем: 4");
  EXPECT_THAT(server.Finish(), IsEmpty());
}

// Runs `during` from inside the pass, at the start of the first retrieval.
void DuringFirstRetrieval(app::TMainForm& form, std::function<void()> during) {
  auto original = form.KelPOP2().OnBeforeRetrieve;
  form.KelPOP2().OnBeforeRetrieve = [original, during, done = false](mail::TKelPOP& session,
                                                                     std::uint32_t number) mutable {
    original(session, number);
    if (std::exchange(done, true)) return;
    during();
  };
}

TEST_F(MainFormTest, RefreshAndTimerDuringAPassStartNothing) {
  Settings.AccountList = {{"127.0.0.1", "bob", "secret", true}};
  FakePop3Server server(PassScript(Numbered("m", 2), "+OK 2\r\n"));
  auto& form = MakeForm(server.Port());
  bool refreshEnabled = true;
  DuringFirstRetrieval(form, [&] {
    refreshEnabled = form.TBRefresh()->isEnabled();
    form.TBRefreshClick();
    form.Timer1Timer();
  });
  form.FormCreate();
  // A second pass would have written to the server, cleared the list or waited.
  EXPECT_THAT(server.Finish(), IsEmpty());
  EXPECT_FALSE(refreshEnabled);
  EXPECT_THAT(Subjects(), ElementsAre("m1", "m2"));
  EXPECT_THAT(Waits, ElementsAre(100));
}

// A resume and the network's return, close together, bring one pass, but
// not within a minute of the last one.
TEST_F(MainFormTest, AWakeBringsOnePassUnlessOneEndedAMinuteAgo) {
  using namespace std::chrono_literals;
  Settings.AccountList = {{"127.0.0.1", "bob", "secret", true}};
  const std::vector<std::string> messages = Numbered("m", 2);
  FakePop3Server server(
      std::vector<std::vector<Step>>{PassScript({messages[0]}, "+OK 0\r\n"), PassScript(messages, "+OK 1\r\n")});
  auto& form = MakeForm(server.Port());
  form.FormCreate();
  ASSERT_THAT(Subjects(), ElementsAre("m1"));

  Now += 30s;
  form.SystemWake();
  EXPECT_TRUE(form.WakePassPending());
  form.WakeTimerTimer();
  EXPECT_FALSE(form.WakePassPending());
  EXPECT_THAT(Subjects(), ElementsAre("m1"));

  Now += 31s;
  form.SystemWake();
  form.SystemWake();
  form.WakeTimerTimer();
  EXPECT_FALSE(form.WakePassPending());
  EXPECT_THAT(Subjects(), ElementsAre("m1", "m2"));
  EXPECT_THAT(server.Finish(), IsEmpty());
}

// A laptop that wakes before its network: the pass fails, and the ticks go on.
TEST_F(MainFormTest, AnUnreachableServerStopsNoLaterTick) {
  const ClosedPort closed;
  Settings.AccountList = {{"127.0.0.1", "bob", "secret", true}};
  auto& form = MakeForm(closed.Port());
  form.FormCreate();
  EXPECT_TRUE(form.Timer1().Enabled());
  form.Timer1Timer();
  EXPECT_TRUE(form.Timer1().Enabled());
  EXPECT_EQ(StatusDuringWaits.size(), 2u) << "each pass reports its failure";
}

TEST_F(MainFormTest, AWakeDuringAPassStartsNoOther) {
  Settings.AccountList = {{"127.0.0.1", "bob", "secret", true}};
  FakePop3Server server(PassScript(Numbered("m", 2), "+OK 2\r\n"));
  auto& form = MakeForm(server.Port());
  DuringFirstRetrieval(form, [&] {
    form.SystemWake();
    form.WakeTimerTimer();
  });
  form.FormCreate();

  EXPECT_THAT(Subjects(), ElementsAre("m1", "m2"));
  EXPECT_FALSE(form.WakePassPending());
  EXPECT_THAT(server.Finish(), IsEmpty());
}

TEST_F(MainFormTest, DuringAPassTheProgressShowsAndTheTrayRefusesToShowTheWindow) {
  Settings.AccountList = {{"127.0.0.1", "bob", "secret", true}};
  FakePop3Server server(PassScript(Numbered("m", 1), "+OK 1\r\n"));
  auto& form = MakeForm(server.Port());
  std::string panelText, trayTip, simpleText;
  bool simplePanel = true, showEnabled = true, hideEnabled = true, globePlaying = false;
  int busyDepth = 0;
  DuringFirstRetrieval(form, [&] {
    panelText = form.QorStatusBar1()->Panels()[0].Text().toStdString();
    simpleText = Status(form);
    globePlaying = form.GlobeAnimate()->Playing();
    busyDepth = desktop::BusyDepth();
    trayTip = form.NewTrayIcon1().Hint().toStdString();
    simplePanel = form.QorStatusBar1()->SimplePanel();
    form.PopupMenu1Popup();
    showEnabled = form.NShow()->isEnabled();
    hideEnabled = form.NHide()->isEnabled();
    form.NewTrayIcon1DblClick();
  });
  form.FormCreate();
  EXPECT_THAT(server.Finish(), IsEmpty());
  EXPECT_EQ(panelText, "Чтение письма: 1");
  EXPECT_EQ(trayTip, "Чтение письма: 1");
  EXPECT_FALSE(simplePanel);
  EXPECT_EQ(simpleText, "Выполнен вход под именем: bob");  // kept behind the panels
  EXPECT_TRUE(globePlaying);
  EXPECT_EQ(busyDepth, 1);
  EXPECT_FALSE(form.GlobeAnimate()->Playing());
  EXPECT_EQ(desktop::BusyDepth(), 0);
  EXPECT_FALSE(showEnabled);
  EXPECT_FALSE(hideEnabled);
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(form.QorStatusBar1()->Panels()[0].Text().toStdString(), "");
  EXPECT_EQ(form.QorStatusBar1()->Panels()[1].GaugeAttrs().Position(), 0);
}

struct StartSoundCase {
  const char* name;
  bool visible;
  int requests;
};

void PrintTo(const StartSoundCase& c, std::ostream* out) { *out << c.name; }

class StartSoundTest : public MainFormTest, public ::testing::WithParamInterface<StartSoundCase> {};

TEST_P(StartSoundTest, CheckStartSoundOnlyWhenTheWindowIsVisible) {
  Settings.ShowSound = false;  // the start sound does not ask the setting
  auto& form = MakeForm(1);
  form.FormCreate();
  if (GetParam().visible) form.NShowClick();
  SoundRequests = 0;
  form.TBRefreshClick();
  EXPECT_EQ(SoundRequests, GetParam().requests);
}

const StartSoundCase kStartSoundCases[] = {{"Visible", true, 1}, {"Hidden", false, 0}};

INSTANTIATE_TEST_SUITE_P(StartSound, StartSoundTest, ::testing::ValuesIn(kStartSoundCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainFormTest, ConnectionFailureShowsItsStatusDuringATwoSecondPause) {
  Settings.AccountList = {{"127.0.0.1", "bob", "secret", true}};
  auto& form = MakeForm(1);
  form.FormCreate();
  EXPECT_THAT(Waits, ElementsAre(2000));
  EXPECT_THAT(StatusDuringWaits, ElementsAre("Ошибка при подключени к серверу: 127.0.0.1"));
  EXPECT_THAT(TipDuringWaits, ElementsAre("Подключение к серверу: 127.0.0.1..."));
  EXPECT_EQ(Status(form), "Прочитано писем: 0");
}

TEST_F(MainFormTest, LoginRefusalShowsItsStatusDuringATwoSecondPause) {
  Settings.AccountList = {{"127.0.0.1", "bob", "secret", true}};
  std::vector<Step> script = LoginSteps();
  script.back() = Server("-ERR [AUTH] wrong password\r\n");
  FakePop3Server server(script);
  auto& form = MakeForm(server.Port());
  form.FormCreate();
  EXPECT_THAT(server.Finish(), IsEmpty());
  EXPECT_THAT(Waits, ElementsAre(2000));
  EXPECT_THAT(StatusDuringWaits, ElementsAre("Ошибка при входе под именем: bob ([AUTH] wrong password)"));
  EXPECT_THAT(TipDuringWaits, ElementsAre("Осуществляется вход под именем: bob"));
  EXPECT_FALSE(form.KelPOP2().Connected());
}

TEST_F(MainFormTest, MalformedMessageStaysReadableAndTheRestOfTheMailToo) {
  const std::string malformed =
      "From: vera@example.org\r\nSubject: broken\r\nContent-Type: multipart/mixed\r\n\r\nraw line one\r\nraw line "
      "two\r\n";
  DovecotServer server({{"anna", "a-secret", {Message("x@example.org", "before", "B."), malformed,
                                              Message("x@example.org", "after", "A.")}},
                        {"boris", "b-secret", {Message("y@example.org", "other account", "O.")}}});
  Settings.AccountList = {{"127.0.0.1", "anna", "a-secret", true}, {"127.0.0.1", "boris", "b-secret", true}};
  auto& form = MakeForm(server.Port());
  form.FormCreate();
  EXPECT_THAT(Subjects(), ElementsAre("before", "broken", "after", "other account"));
  const mail::TKelMsg& broken = form.KelMsgList2().Items(1);
  EXPECT_EQ(broken.From, "vera@example.org");
  EXPECT_THAT(broken.Text, ElementsAre("raw line one", "raw line two"));
  EXPECT_EQ(broken.AttachedFiles.Count(), 0u);
  EXPECT_EQ(Status(form), "Прочитано писем: 4. Не удалось разобрать писем: 1 (Ошибочный формат сообщения!)");
  EXPECT_EQ(form.windowTitle().toStdString(), "Tessaro (POP3) - 4");

  form.TBNextClick();
  auto* body = form.View()->findChild<QPlainTextEdit*>(QStringLiteral("Memo1"));
  ASSERT_NE(body, nullptr);
  EXPECT_EQ(body->toPlainText().toStdString(), "raw line one\nraw line two");
}

TEST_F(MainFormTest, RefusedHeaderBlockEndsTheAccountWithoutAnErrorBox) {
  const std::vector<std::string> messages = Numbered("m", 2);
  std::vector<Step> script = LoginSteps();
  script.insert(script.end(), {Client("STAT\r\n"), Server("+OK 2 200\r\n"), Client("LAST\r\n"), Server("+OK 2\r\n"),
                               CapaStep(), CapaReply(), Client("LIST 1\r\n"), Server("+OK 1 100\r\n"), Client("RETR 1\r\n"),
                               Server(RetrReply(messages[0])), Client("TOP 1 0\r\n"), Server("-ERR no TOP here\r\n")});
  Settings.AccountList = {{"127.0.0.1", "bob", "secret", true}};
  FakePop3Server server(script);
  auto& form = MakeForm(server.Port());
  form.FormCreate();
  EXPECT_THAT(server.Finish(), IsEmpty());
  EXPECT_THAT(Subjects(), ElementsAre("m1"));
  EXPECT_EQ(Status(form), "Прочитано писем: 1");
}

// STAT, then the connection drops at LAST: the session has closed, and the
// first retrieval raises.
std::vector<Step> DropAfterStat() {
  std::vector<Step> script = LoginSteps();
  script.insert(script.end(), {Client("STAT\r\n"), Server("+OK 2 200\r\n"), Client("LAST\r\n"), Drop()});
  return script;
}

TEST_F(MainFormTest, PassEndedByAnExceptionShowsOneBoxAndKeepsTheViewInsideTheList) {
  Settings.AccountList = {{"127.0.0.1", "bob", "secret", true}};
  FakePop3Server first(PassScript(Numbered("m", 3), "-ERR\r\n"));
  auto& form = MakeForm(first.Port());
  form.FormCreate();
  EXPECT_THAT(first.Finish(), IsEmpty());
  form.TBNextClick();
  form.TBNextClick();
  ASSERT_EQ(form.CurrentIndex, 2);

  FakePop3Server failing(DropAfterStat());
  FakePop3Server failingAgain(DropAfterStat());
  form.AccountList()[0].Port = failing.Port();
  int secondPassRan = 0;
  Boxes->Expect(BoxKind::Error, "Нет соединения.", true, [&] {
    // The timer runs on while the box is open; its failing pass adds no box.
    form.AccountList()[0].Port = failingAgain.Port();
    form.Run(&app::TMainForm::Timer1Timer);
    ++secondPassRan;
  });
  form.Run(&app::TMainForm::TBRefreshClick);
  EXPECT_THAT(failing.Finish(), IsEmpty());
  EXPECT_THAT(failingAgain.Finish(), IsEmpty());
  EXPECT_EQ(secondPassRan, 1);
  EXPECT_EQ(form.CurrentIndex, -1);
  EXPECT_EQ(Status(form), "Прочитано писем: 0");
  EXPECT_EQ(form.windowTitle().toStdString(), "Tessaro (POP3) - 0");
  EXPECT_TRUE(form.QorStatusBar1()->SimplePanel());
  EXPECT_TRUE(form.Timer1().Enabled());
  EXPECT_FALSE(form.TBDelete()->isEnabled());
}

}  // namespace
