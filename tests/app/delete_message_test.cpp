// Deleting the current message on its own server, found by its header block.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "app/window/main_form.h"
#include "desktop/qor_status_bar.h"
#include "tests/app/main_form_fixture.h"
#include "tests/support/dovecot_server.h"

namespace {

using namespace testsupport;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

const QString kQuestion = QStringLiteral("Вы действительно хотите удалить текущее сообщение?");

std::vector<std::string> Numbered(int count) {
  std::vector<std::string> messages;
  for (int i = 1; i <= count; ++i)
    messages.push_back(Message("anna@example.org", "m" + std::to_string(i), "Body " + std::to_string(i) + "."));
  return messages;
}

std::string Status(app::TMainForm& form) { return form.QorStatusBar1()->SimpleText().toStdString(); }

void MoveTo(app::TMainForm& form, int index) {
  while (form.CurrentIndex < index) form.TBNextClick();
}

struct DeleteCase {
  const char* name;
  int messages;
  int shown;
  int indexAfter;
  std::vector<std::string> left;
  const char* caption;
};

void PrintTo(const DeleteCase& c, std::ostream* out) { *out << c.name; }

class DeleteTest : public MainFormTest, public ::testing::WithParamInterface<DeleteCase> {};

TEST_P(DeleteTest, RemovesTheShownMessageOnTheServerAndFromTheList) {
  const DeleteCase& c = GetParam();
  DovecotServer server({{"bob", "secret", Numbered(c.messages)}});
  Settings.AccountList = {{"127.0.0.1", "bob", "secret", true}};
  auto& form = MakeForm(server.Port());
  form.FormCreate();
  MoveTo(form, c.shown);
  Waits.clear();
  Boxes->Expect(BoxKind::Confirm, kQuestion, true);
  form.TBDeleteClick();
  EXPECT_EQ(server.MessagesStored("bob"), static_cast<std::size_t>(c.messages - 1));
  EXPECT_EQ(form.CurrentIndex, c.indexAfter);
  EXPECT_THAT(Subjects(), ElementsAreArray(c.left));
  EXPECT_EQ(Status(form), "Письмо удалено!");
  EXPECT_EQ(form.windowTitle().toStdString(), c.caption);
  EXPECT_TRUE(Waits.empty());
  EXPECT_FALSE(form.KelPOP2().Connected());
  EXPECT_TRUE(form.Timer1().Enabled());
  EXPECT_EQ(form.TBDelete()->isEnabled(), c.indexAfter >= 0);
}

const DeleteCase kDeleteCases[] = {
    {"SecondOfFive", 5, 1, 1, {"m1", "m3", "m4", "m5"}, "Tessaro (POP3) - 4"},
    {"LastOfFive", 5, 4, 3, {"m1", "m2", "m3", "m4"}, "Tessaro (POP3) - 4"},
    {"TheOnlyOne", 1, 0, -1, {}, "Tessaro (POP3) - 0"},
};

INSTANTIATE_TEST_SUITE_P(Delete, DeleteTest, ::testing::ValuesIn(kDeleteCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainFormTest, CancelledConfirmationChangesNothing) {
  DovecotServer server({{"bob", "secret", Numbered(2)}});
  Settings.AccountList = {{"127.0.0.1", "bob", "secret", true}};
  auto& form = MakeForm(server.Port());
  form.FormCreate();
  const std::string status = Status(form);
  Boxes->Expect(BoxKind::Confirm, kQuestion, false);
  form.TBDeleteClick();
  EXPECT_EQ(server.MessagesStored("bob"), 2u);
  EXPECT_THAT(Subjects(), ElementsAre("m1", "m2"));
  EXPECT_EQ(Status(form), status);
  EXPECT_TRUE(form.Timer1().Enabled());
}

TEST_F(MainFormTest, OfTwoIdenticalHeaderBlocksTheLowerNumberIsDeleted) {
  const std::string headers = "From: anna@example.org\r\nSubject: twice\r\nMessage-ID: <same@example.org>\r\n\r\n";
  DovecotServer server({{"bob", "secret", {headers + "First body.\r\n", headers + "Second body.\r\n"}}});
  Settings.AccountList = {{"127.0.0.1", "bob", "secret", true}};
  Settings.DeleteConf = false;
  auto& form = MakeForm(server.Port());
  form.FormCreate();
  form.TBNextClick();  // the second copy is shown
  form.TBDeleteClick();
  EXPECT_EQ(server.MessagesStored("bob"), 1u);
  form.TBRefreshClick();
  ASSERT_EQ(form.KelMsgList2().Count(), 1u);
  EXPECT_THAT(form.KelMsgList2().Items(0).Text, ElementsAre("Second body."));
}

TEST_F(MainFormTest, MessageOfTheSecondAccountIsDeletedOnItsOwnServer) {
  DovecotServer server({{"anna", "a-secret", Numbered(2)}, {"boris", "b-secret", Numbered(2)}});
  Settings.AccountList = {{"localhost", "anna", "a-secret", true}, {"127.0.0.1", "boris", "b-secret", true}};
  Settings.DeleteConf = false;
  auto& form = MakeForm(server.Port());
  form.FormCreate();
  MoveTo(form, 2);  // boris's first message, with the same header block as anna's first
  ASSERT_EQ(form.KelMsgList2().Items(2).AccountUserId, "boris");
  form.TBDeleteClick();
  EXPECT_EQ(server.MessagesStored("anna"), 2u);
  EXPECT_EQ(server.MessagesStored("boris"), 1u);
  EXPECT_EQ(form.CurrentIndex, 2);
  EXPECT_EQ(form.KelMsgList2().Items(2).AccountUserId, "boris");
  EXPECT_EQ(form.KelMsgList2().Items(2).Subject, "m2");
}

TEST_F(MainFormTest, MessageGoneFromTheServerIsNotFoundAndStays) {
  Settings.AccountList = {{"127.0.0.1", "bob", "secret", true}};
  Settings.DeleteConf = false;
  const std::vector<std::string> messages = Numbered(2);
  FakePop3Server pass(PassScript(messages, "+OK 2\r\n"));
  auto& form = MakeForm(pass.Port());
  form.FormCreate();
  EXPECT_THAT(pass.Finish(), IsEmpty());

  std::vector<Step> script = LoginSteps();
  script.insert(script.end(), {Client("STAT\r\n"), Server("+OK 1 100\r\n"), Client("LAST\r\n"), Server("+OK 1\r\n"),
                               Client("TOP 1 0\r\n"), Server(TopReply(messages[1])), Client("QUIT\r\n"),
                               Server("+OK bye\r\n")});
  FakePop3Server search(script);
  form.AccountList()[0].Port = search.Port();
  form.TBDeleteClick();
  EXPECT_THAT(search.Finish(), IsEmpty());
  EXPECT_EQ(Status(form), "Письмо не найдено!");
  EXPECT_THAT(Subjects(), ElementsAre("m1", "m2"));
  EXPECT_EQ(form.CurrentIndex, 0);
}

// How the message's server is reached comes from its account as it is now, not
// from a namesake. A TLS handshake against the plain test server fails.
TEST_F(MainFormTest, SecurityPortAndPinComeFromTheMessagesAccount) {
  DovecotServer server({{"bob", "secret", Numbered(1)}});
  Settings.AccountList = {{"127.0.0.1", "bob", "old", false}, {"127.0.0.1", "bob", "secret", true}};
  Settings.DeleteConf = false;
  auto& form = MakeForm(server.Port());
  form.FormCreate();
  ASSERT_EQ(form.KelMsgList2().Count(), 1u);
  config::TServer& account = form.AccountList()[1];
  account.Security = platform::Security::Tls;
  account.CertSha256 = std::string(64, 'a');
  form.AccountList()[0].Port = 1;  // a disabled namesake is not the message's account
  form.TBDeleteClick();
  EXPECT_EQ(form.KelPOP2().Security, platform::Security::Tls);
  EXPECT_EQ(form.KelPOP2().Port, std::to_string(server.Port()));
  EXPECT_EQ(form.KelPOP2().CertSha256, account.CertSha256);
  EXPECT_EQ(Status(form), "Ошибка при подключени к серверу: 127.0.0.1");
  EXPECT_EQ(server.MessagesStored("bob"), 1u);
  EXPECT_EQ(form.KelMsgList2().Count(), 1u);
}

// Nothing says how the server of a removed account must be reached, and a
// namesake added in its place is another account: nothing is sent to either.
TEST_F(MainFormTest, MessageOfAnAccountThatWasRemovedIsNotDeletedAndNothingIsSent) {
  DovecotServer server({{"bob", "secret", Numbered(1)}});
  Settings.AccountList = {{"127.0.0.1", "bob", "secret", true}};
  Settings.DeleteConf = false;
  auto& form = MakeForm(server.Port());
  form.FormCreate();
  ASSERT_EQ(form.KelMsgList2().Count(), 1u);
  config::TServer namesake = form.AccountList()[0];
  namesake.Id = 0;
  form.AccountList() = {namesake};
  int connections = 0;
  form.KelPOP2().OnConnect = [&](platform::TcpClient&) { ++connections; };
  Boxes->Expect(BoxKind::Error,
                QStringLiteral("Учётной записи, с которой получено это письмо, больше нет. Письмо не удалено."));
  form.TBDeleteClick();
  EXPECT_TRUE(Boxes->AllShown());
  EXPECT_EQ(connections, 0);
  EXPECT_EQ(server.MessagesStored("bob"), 1u);
  EXPECT_EQ(form.KelMsgList2().Count(), 1u);
}

// An account whose user name changed is still the message's account: it is
// reached as it is now, and the message is not found under the new name.
TEST_F(MainFormTest, MessageOfAnAccountThatChangedIsLookedForAsTheAccountIsNow) {
  DovecotServer server({{"bob", "secret", Numbered(1)}});
  Settings.AccountList = {{"127.0.0.1", "bob", "secret", true}};
  Settings.DeleteConf = false;
  auto& form = MakeForm(server.Port());
  form.FormCreate();
  form.AccountList()[0].UserId = "robert";
  form.TBDeleteClick();
  EXPECT_EQ(form.KelPOP2().UserId, "robert");
  EXPECT_EQ(form.KelPOP2().Port, std::to_string(server.Port()));
  EXPECT_EQ(Status(form), "Ошибка при входе под именем: robert ([AUTH] Authentication failed.)");
  EXPECT_EQ(server.MessagesStored("bob"), 1u);
  EXPECT_EQ(form.KelMsgList2().Count(), 1u);
}

struct ServerAnswerCase {
  const char* name;
  const char* deleReply;
  const char* quitReply;
  const char* status;
  std::size_t left;
};

void PrintTo(const ServerAnswerCase& c, std::ostream* out) { *out << c.name; }

class ServerAnswerTest : public MainFormTest, public ::testing::WithParamInterface<ServerAnswerCase> {};

// New mail has arrived since the pass: the message is number 2 now and is
// found by its header block all the same.
TEST_P(ServerAnswerTest, TheMessageLeavesTheListOnlyWhenTheServerRemovedIt) {
  const ServerAnswerCase& c = GetParam();
  Settings.AccountList = {{"127.0.0.1", "bob", "secret", true}};
  Settings.DeleteConf = false;
  const std::vector<std::string> messages = Numbered(1);
  FakePop3Server pass(PassScript(messages, "+OK 1\r\n"));
  auto& form = MakeForm(pass.Port());
  form.FormCreate();
  EXPECT_THAT(pass.Finish(), IsEmpty());

  const std::string arrived = Message("vera@example.org", "new", "Arrived later.");
  std::vector<Step> script = LoginSteps();
  script.insert(script.end(), {Client("STAT\r\n"), Server("+OK 2 300\r\n"), Client("LAST\r\n"), Server("+OK 1\r\n"),
                               Client("TOP 1 0\r\n"), Server(TopReply(arrived)), Client("TOP 2 0\r\n"),
                               Server(TopReply(messages[0])), Client("DELE 2\r\n"), Server(c.deleReply)});
  if (std::string(c.deleReply).starts_with("+OK"))
    script.insert(script.end(), {Client("QUIT\r\n"), Server(c.quitReply)});
  FakePop3Server search(script);
  form.AccountList()[0].Port = search.Port();
  form.TBDeleteClick();
  EXPECT_THAT(search.Finish(), IsEmpty());
  EXPECT_EQ(Status(form), c.status);
  EXPECT_EQ(form.KelMsgList2().Count(), c.left);
  EXPECT_FALSE(form.KelPOP2().Connected());
}

const ServerAnswerCase kServerAnswerCases[] = {
    {"Accepted", "+OK deleted\r\n", "+OK bye\r\n", "Письмо удалено!", 0},
    {"DeleteRefused", "-ERR locked\r\n", "", "Сервер не удалил письмо!", 1},
    {"QuitRefused", "+OK deleted\r\n", "-ERR some deleted messages not removed\r\n", "Сервер не удалил письмо!", 1},
};

INSTANTIATE_TEST_SUITE_P(ServerAnswer, ServerAnswerTest, ::testing::ValuesIn(kServerAnswerCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
