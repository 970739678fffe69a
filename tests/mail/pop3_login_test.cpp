// The login methods against scripted servers, for what Dovecot does not do:
// a greeting without a timestamp, SASL not offered, the two-step OAuth
// exchange and its error challenge.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "mail/login_steps.h"
#include "mail/pop3_session.h"
#include "platform/cp1251.h"
#include "tests/support/fake_pop3_server.h"
#include "tests/support/local_session.h"

namespace {

using namespace testsupport;
using mail::LoginMethod;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using text::operator""_cp1251;

const std::string kCapa = "+OK\r\nTOP\r\nUIDL\r\nSASL PLAIN XOAUTH2 OAUTHBEARER\r\n.\r\n";

struct LoginCase {
  const char* name;
  LoginMethod method;
  std::vector<Step> script;  // after the greeting
  bool loggedIn;
  std::string failureText;  // a part of it
};

TEST(Pop3Login, EachMethodSendsItsOwnExchange) {
  const std::string xoauth2 = mail::XOAuth2Response("bob", "tok");
  const std::string challenge = mail::EncodeBase64(R"({"status":"401","schemes":"bearer"})");
  const LoginCase cases[] = {
      {"APOP without a timestamp sends nothing", LoginMethod::kApop, {}, false,
       std::string("нет метки времени"_cp1251)},
      {"a mechanism CAPA does not list sends nothing more", LoginMethod::kXOAuth2,
       {Client("CAPA\r\n"), Server("+OK\r\nTOP\r\nSASL PLAIN\r\n.\r\n")}, false,
       std::string("не предлагает вход XOAUTH2"_cp1251)},
      {"CAPA refused: no SASL", LoginMethod::kSaslPlain, {Client("CAPA\r\n"), Server("-ERR no\r\n")}, false,
       std::string("не предлагает вход PLAIN"_cp1251)},
      {"PLAIN after the server's +", LoginMethod::kSaslPlain,
       {Client("CAPA\r\n"), Server(kCapa), Client("AUTH PLAIN\r\n"), Server("+ \r\n"),
        Client(mail::PlainResponse("bob", "tok") + "\r\n"), Server("+OK in\r\n")},
       true, ""},
      {"XOAUTH2 in two steps", LoginMethod::kXOAuth2,
       {Client("CAPA\r\n"), Server(kCapa), Client("AUTH XOAUTH2\r\n"), Server("+\r\n"), Client(xoauth2 + "\r\n"),
        Server("+OK in\r\n")},
       true, ""},
      {"an error challenge is ended and its status shown", LoginMethod::kXOAuth2,
       {Client("CAPA\r\n"), Server(kCapa), Client("AUTH XOAUTH2\r\n"), Server("+ \r\n"), Client(xoauth2 + "\r\n"),
        Server("+ " + challenge + "\r\n"), Client("\r\n"), Server("-ERR Authentication failed\r\n")},
       false, "401 (Authentication failed)"},
      {"the mechanism itself refused", LoginMethod::kXOAuth2,
       {Client("CAPA\r\n"), Server(kCapa), Client("AUTH XOAUTH2\r\n"), Server("-ERR Protocol error\r\n")}, false,
       "Protocol error"},
  };
  for (const LoginCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<Step> script = {Server("+OK ready\r\n")};
    script.insert(script.end(), c.script.begin(), c.script.end());
    FakePop3Server server(script);
    auto session = MakeLocalSession(server.Port(), {.password = "tok"});
    session->Method = c.method;
    session->Connect();
    ASSERT_TRUE(session->Connected());
    EXPECT_EQ(session->Login(), c.loggedIn);
    if (!c.loggedIn) {
      EXPECT_EQ(session->Failure().code, mail::kLoginRefused);
      EXPECT_THAT(session->Failure().Text(), HasSubstr(c.failureText));
      EXPECT_THAT(session->Failure().Text(), ::testing::Not(HasSubstr("tok"))) << "the token is never shown";
    }
    EXPECT_THAT(server.Finish(), ElementsAre());
  }
}

// The password command's line is what PASS sends; one that gives none ends the
// session before anything is sent, with its reason.
TEST(Pop3Login, APasswordCommandGivesThePasswordAtEachLogin) {
  FakePop3Server server({Server("+OK ready\r\n"), Client("USER bob\r\n"), Server("+OK\r\n"),
                         Client("PASS from-command\r\n"), Server("+OK in\r\n")});
  auto session = MakeLocalSession(server.Port(), {.password = "stored"});
  session->PasswordCommand = "echo from-command";
  session->Connect();
  EXPECT_TRUE(session->Login());
  EXPECT_THAT(server.Finish(), ElementsAre());

  FakePop3Server silent({Server("+OK ready\r\n")});
  auto failing = MakeLocalSession(silent.Port());
  failing->PasswordCommand = "sleep 5";
  failing->PasswordCommandLimit = std::chrono::milliseconds(200);
  failing->Connect();
  EXPECT_FALSE(failing->Login());
  EXPECT_THAT(failing->Failure().Text(), HasSubstr(std::string("Команда пароля не закончилась"_cp1251)));
  EXPECT_THAT(silent.Finish(), ElementsAre());
}

}  // namespace
