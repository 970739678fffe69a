// The POP3 session against a real Dovecot POP3 server.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "mail/pop3_session.h"
#include "tests/mail/session_events.h"
#include "tests/support/dovecot_server.h"
#include "tests/support/local_session.h"
#include "tests/support/token_introspection.h"

namespace {

using namespace testsupport;
using mail::TKelPOP;
using ::testing::ElementsAre;
using ::testing::StartsWith;

const std::vector<std::string> kMessages = {
    "From: Anna <anna@example.org>\r\nTo: bob@example.org\r\nSubject: first\r\n\r\nHello.\r\n",
    "From: Boris <boris@example.org>\r\nTo: bob@example.org\r\nSubject: second\r\n"
    "X-Long: a header\r\n  with a continuation line\r\n\r\nBody two.\r\n.dotted line\r\n",
    "From: Vera <vera@example.org>\r\nSubject: third\r\n\r\nThree.\r\n",
};

class Pop3Dovecot : public ::testing::Test {
 protected:
  Pop3Dovecot() : server_({{"bob", "secret", kMessages}}) {}

  std::unique_ptr<TKelPOP> MakeSession(const std::string& password) {
    return MakeLocalSession(server_.Port(), {.host = "localhost", .password = password});
  }

  DovecotServer server_;
};

TEST_F(Pop3Dovecot, LogsInCountsAndRefusedLastKeepsTheSession) {
  auto session = MakeSession("secret");
  SessionEvents events(*session);
  session->Connect();
  ASSERT_TRUE(session->Connected());
  ASSERT_TRUE(session->Login());
  EXPECT_EQ(session->CountNew(), 0u);  // Dovecot does not answer LAST
  EXPECT_TRUE(session->ReplyError());
  EXPECT_EQ(session->MsgCount(), 3u);
  EXPECT_TRUE(session->Connected());
  session->Quit();
  EXPECT_FALSE(session->Connected());
  EXPECT_THAT(events.lines, ElementsAre("connect", "quit"));
}

TEST_F(Pop3Dovecot, TopBlockIsTheSameForTwoCalls) {
  auto session = MakeSession("secret");
  session->Connect();
  ASSERT_TRUE(session->Login());
  session->CountNew();
  const std::string first = session->RetrieveHeaders(2);
  EXPECT_THAT(first, StartsWith("From: Boris <boris@example.org>\r\n"));
  EXPECT_NE(first.find("X-Long: a header\r\n  with a continuation line\r\n\r\n.\r\n"), std::string::npos);
  EXPECT_EQ(session->RetrieveHeaders(2), first);
  EXPECT_NE(session->RetrieveHeaders(1), first);
  session->Quit();
}

TEST_F(Pop3Dovecot, DeleteThenQuitRemovesTheMessageOnTheServer) {
  auto session = MakeSession("secret");
  SessionEvents events(*session);
  session->Connect();
  ASSERT_TRUE(session->Login());
  session->CountNew();
  session->DeleteMsg(2);
  EXPECT_EQ(session->MsgCount(), 2u);
  session->Quit();
  EXPECT_THAT(events.lines, ElementsAre("connect", "delete 2", "quit"));
  EXPECT_EQ(server_.MessagesStored("bob"), 2u);

  auto again = MakeSession("secret");
  again->Connect();
  ASSERT_TRUE(again->Login());
  again->CountNew();
  EXPECT_EQ(again->MsgCount(), 2u);
  EXPECT_THAT(again->RetrieveHeaders(2), StartsWith("From: Vera"));
  again->Quit();
}

TEST_F(Pop3Dovecot, WrongPasswordFailsLoginWith2001) {
  auto session = MakeSession("wrong");
  SessionEvents events(*session);
  session->Connect();
  ASSERT_TRUE(session->Connected());
  EXPECT_FALSE(session->Login());
  EXPECT_FALSE(session->Connected());
  ASSERT_EQ(events.lines.size(), 3u);
  EXPECT_EQ(events.lines[1], "quit");
  EXPECT_THAT(events.lines[2], StartsWith("error 2001 "));
  EXPECT_EQ(server_.MessagesStored("bob"), 3u);
}

}  // namespace

namespace {

// Connects and logs in; a session that got in counts the three messages and quits.
bool LogsInAndCounts(TKelPOP& session) {
  session.Connect();
  EXPECT_TRUE(session.Connected());
  if (!session.Login()) return false;
  session.CountNew();
  EXPECT_EQ(session.MsgCount(), 3u);
  session.Quit();
  return true;
}

// Every method Dovecot offers logs in with the right password and is refused
// with its own text for a wrong one.
TEST_F(Pop3Dovecot, EveryLoginMethodDovecotOffersLogsIn) {
  for (const mail::LoginMethod method : {mail::LoginMethod::kUserPass, mail::LoginMethod::kApop,
                                         mail::LoginMethod::kSaslPlain}) {
    SCOPED_TRACE(static_cast<int>(method));
    for (const std::string password : {"secret", "wrong"}) {
      auto session = MakeSession(password);
      session->Method = method;
      const bool loggedIn = LogsInAndCounts(*session);
      EXPECT_EQ(loggedIn, password == "secret");
      if (!loggedIn) {
        EXPECT_EQ(session->Failure().code, mail::kLoginRefused);
        EXPECT_FALSE(session->Failure().serverText.empty()) << "the server's own words";
      }
    }
  }
}

// XOAUTH2 and OAUTHBEARER against a Dovecot that checks each token with an
// introspection endpoint of ours: the good token logs in, another one is
// refused with the status of the server's error challenge.
TEST(Pop3DovecotOAuth, TheGoodTokenLogsInAndABadOneIsRefusedWithItsStatus) {
  TokenIntrospection introspection("good-token", "bob");
  DovecotServer server({{"bob", "secret", kMessages}}, std::nullopt, introspection.Url());
  for (const mail::LoginMethod method : {mail::LoginMethod::kXOAuth2, mail::LoginMethod::kOAuthBearer}) {
    SCOPED_TRACE(static_cast<int>(method));
    for (const std::string token : {"good-token", "bad-token"}) {
      auto session = MakeLocalSession(server.Port(), {.host = "localhost", .password = token});
      session->Method = method;
      const bool loggedIn = LogsInAndCounts(*session);
      EXPECT_EQ(loggedIn, token == "good-token") << session->Failure().Text();
      if (!loggedIn) {
        EXPECT_EQ(session->Failure().code, mail::kLoginRefused);
        EXPECT_THAT(session->Failure().Text(), ::testing::HasSubstr("OAuth 2.0: "));
        EXPECT_THAT(session->Failure().Text(), ::testing::HasSubstr("Authentication failed")) << "the server's words";
        EXPECT_THAT(session->Failure().Text(), ::testing::Not(::testing::HasSubstr(token)));
      }
    }
  }
  EXPECT_GE(introspection.Requests(), 4);
}

}  // namespace
