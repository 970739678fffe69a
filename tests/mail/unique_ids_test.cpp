// UIDL against a scripted peer: the list as the server sends it, lines of any
// other shape skipped, a refusal that leaves the session open, split replies.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "mail/mail_error.h"
#include "mail/pop3_session.h"
#include "platform/cp1251.h"
#include "tests/mail/scripted_session.h"
#include "tests/mail/session_events.h"
#include "tests/support/fake_pop3_server.h"
#include "tests/support/local_session.h"

namespace {

using namespace testsupport;
using Ids = std::vector<std::pair<std::uint32_t, std::string>>;
using ::testing::ElementsAre;
using text::operator""_cp1251;

TEST(UniqueIds, ListsAsTheServerSendsThemAndTheSessionStaysOpen) {
  const std::string longest(70, 'x');
  struct Case {
    const char* name;
    Step reply;
    Ids ids;
  } cases[] = {
      {"two messages", Server("+OK\r\n1 whqtswO00WBw418f9t5JxYwZ\r\n2 QhdPYR:00WBw1Ph7x7\r\n.\r\n"),
       {{1, "whqtswO00WBw418f9t5JxYwZ"}, {2, "QhdPYR:00WBw1Ph7x7"}}},
      {"empty mailbox", Server("+OK 0 messages\r\n.\r\n"), {}},
      {"refused", Server("-ERR UIDL not supported\r\n"), {}},
      {"malformed lines skipped",
       Server("+OK\r\nx abc\r\n1\r\n0 zero\r\n-1 negative\r\n99999999999 big\r\n2 two words\r\n3 " + longest +
              "y\r\n4 c\x01tl\r\n5 caf\xC3\xA9\r\n\r\n6 " + longest + "\r\n  7   spaced  \r\n.\r\n"),
       {{6, longest}, {7, "spaced"}}},
      {"split between reads", ServerChunks({"+OK\r\n1 a", "bc\r\n2 d\r", "\n.", "\r\n"}), {{1, "abc"}, {2, "d"}}},
      {"terminator in its own read", ServerChunks({"+OK\r\n1 a\r\n", ".\r\n"}), {{1, "a"}}},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakePop3Server server(LoggedIn({Client("UIDL\r\n"), c.reply, Client("QUIT\r\n"), Server("+OK\r\n")}));
    auto session = MakeLocalSession(server.Port());
    SessionEvents events(*session);
    session->Connect();
    ASSERT_TRUE(session->Login());
    EXPECT_EQ(session->UniqueIds(), c.ids);
    EXPECT_TRUE(session->Connected());
    session->Quit();
    EXPECT_THAT(events.lines, ElementsAre("connect", "quit"));
    EXPECT_THAT(server.Finish(), ElementsAre());
  }
}

TEST(UniqueIds, LinesAboveTheGivenNumberAreSkipped) {
  FakePop3Server server(LoggedIn({Client("UIDL\r\n"), Server("+OK\r\n1 a\r\n2 b\r\n3 c\r\n1 d\r\n.\r\n"),
                                  Client("QUIT\r\n"), Server("+OK\r\n")}));
  auto session = MakeLocalSession(server.Port());
  session->Connect();
  ASSERT_TRUE(session->Login());
  EXPECT_EQ(session->UniqueIds(1), (Ids{{1, "a"}, {1, "d"}}));
  session->Quit();
  EXPECT_THAT(server.Finish(), ElementsAre());
}

TEST(UniqueIds, ADroppedConnectionEndsTheSessionWithNothing) {
  FakePop3Server server(LoggedIn({Client("UIDL\r\n"), Server("+OK\r\n1 a\r\n"), Drop()}));
  auto session = MakeLocalSession(server.Port());
  SessionEvents events(*session);
  session->Connect();
  ASSERT_TRUE(session->Login());
  EXPECT_THAT(session->UniqueIds(), ElementsAre());
  EXPECT_FALSE(session->Connected());
  EXPECT_THAT(events.lines, ElementsAre("connect", "quit", "error 2008 " + std::string("Сервер закрыл соединение"_cp1251)));
  EXPECT_THAT(server.Finish(), ElementsAre());
}

TEST(UniqueIds, WithoutAConnectionRaises) {
  auto session = MakeLocalSession(1);
  EXPECT_THROW(session->UniqueIds(), mail::MailError);
}

}  // namespace
