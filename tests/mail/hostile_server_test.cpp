// Servers that misbehave: every case ends within a bounded time with the
// session closed and a code that says why, and nothing half-received is
// handed out as a message. The fake server also fails the case when the
// client writes anything after the script (no DELE, no further command).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>

#include "mail/pop3_session.h"
#include "tests/mail/session_events.h"
#include "tests/support/fake_pop3_server.h"
#include "tests/support/local_session.h"

namespace {

using namespace testsupport;
using mail::TKelPOP;
using std::chrono::milliseconds;
using ::testing::ElementsAre;
using ::testing::StartsWith;

std::vector<Step> LoggedIn(std::vector<Step> rest) {
  std::vector<Step> script = {Server("+OK\r\n"), Client("USER u\r\n"), Server("+OK\r\n"), Client("PASS p\r\n"),
                              Server("+OK\r\n")};
  script.insert(script.end(), rest.begin(), rest.end());
  return script;
}

std::vector<Step> Retr(std::vector<Step> reply) {
  std::vector<Step> script = LoggedIn({Client("LIST 1\r\n"), Server("+OK 1 100\r\n"), Client("RETR 1\r\n")});
  script.insert(script.end(), reply.begin(), reply.end());
  return script;
}

// A reply written one byte at a time, `pause` apart.
Step Trickle(const std::string& text, milliseconds pause) {
  std::vector<std::string> bytes;
  for (const char c : text) bytes.emplace_back(1, c);
  return ServerChunks(bytes, pause);
}

enum class Action { kConnect, kLogin, kRetrieve, kTop };

// Runs the session up to `action`; true when the action's result was a success.
bool RunUpTo(TKelPOP& session, Action action) {
  session.Connect();
  if (action == Action::kConnect || !session.Connected()) return session.Connected();
  const bool loggedIn = session.Login();
  if (action == Action::kLogin || !loggedIn) return loggedIn;
  if (action == Action::kTop) return !session.RetrieveHeaders(1).empty();
  return session.Retrieve(1) != nullptr;
}

TEST(HostileServer, EveryMisbehaviourEndsTheSessionInBoundedTime) {
  const std::string megabyte(1024 * 1024 + 10, 'x');
  const std::string endless = "+OK\r\n" + std::string(300 * 1024, 'y');
  struct Case {
    const char* name;
    std::vector<Step> script;
    Action action;
    int code;
  } cases[] = {
      {"silent after connect", {Silence(milliseconds(3000))}, Action::kConnect, 2007},
      {"empty greeting", {Server("\r\n")}, Action::kConnect, 2000},
      {"garbage greeting", {Server("HELLO THERE\r\n")}, Action::kConnect, 2000},
      {"refusing greeting", {Server("-ERR busy\r\n")}, Action::kConnect, 2000},
      {"closed before greeting", {Drop()}, Action::kConnect, 2008},
      {"greeting trickled past the deadline", {Trickle("+OK hello there\r\n", milliseconds(100))}, Action::kConnect,
       2007},
      {"status line without a break past 1 MiB", {Server("+OK " + megabyte), Silence(milliseconds(3000))},
       Action::kConnect, 2009},
      {"silent after the greeting", {Server("+OK\r\n"), Client("USER u\r\n"), Silence(milliseconds(3000))},
       Action::kLogin, 2007},
      {"silent in the middle of RETR", Retr({Server("+OK\r\nSubject: x\r\n"), Silence(milliseconds(3000))}),
       Action::kRetrieve, 2007},
      {"RETR trickled a byte at a time", Retr({Trickle("+OK\r\nSubject: slow\r\n\r\nbody\r\n.\r\n", milliseconds(60))}),
       Action::kRetrieve, 2007},
      {"RETR that never ends", Retr({Server(endless), Silence(milliseconds(3000))}), Action::kRetrieve, 2009},
      {"closed in the middle of RETR", Retr({Server("+OK\r\nSubject: x\r\n"), Drop()}), Action::kRetrieve, 2008},
      {"closed in the middle of TOP", LoggedIn({Client("TOP 1 0\r\n"), Server("+OK\r\nSubject: x\r\n"), Drop()}),
       Action::kTop, 2008},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakePop3Server server(c.script);
    const auto made = MakeLocalSession(server.Port(), {.user = "u", .password = "p", .replyTimeoutMs = 500});
    TKelPOP& session = *made;
    session.MaxReplySize = 256 * 1024;
    SessionEvents events(session);
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(RunUpTo(session, c.action));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    EXPECT_FALSE(session.Connected());
    ASSERT_FALSE(events.lines.empty());
    EXPECT_THAT(events.lines.back(), StartsWith("error " + std::to_string(c.code)));
    EXPECT_THAT(server.Finish(), ElementsAre());
  }
}

// Numbers a server makes up are never used to allocate: the message is taken
// as it comes and the counts stay counts.
TEST(HostileServer, MadeUpSizesAndCountsAllocateNothing) {
  struct Case {
    const char* name;
    std::string stat, list;
    std::uint32_t msgCount;
    std::int32_t msgSize;
  } cases[] = {
      {"huge STAT and LIST", "+OK 4294967295 1\r\n", "+OK 1 2147483647\r\n", 4294967295u, 2147483647},
      {"negative LIST", "+OK 1 1\r\n", "+OK 1 -5\r\n", 1, -5},
      {"LIST beyond 32 bits", "+OK 1 1\r\n", "+OK 1 99999999999999\r\n", 1, 100},
      {"NUL in the status lines", std::string("+OK 2\0 1\r\n", 11), std::string("+OK 1 7\0\r\n", 10), 2, 7},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakePop3Server server(LoggedIn({Client("STAT\r\n"), Server(c.stat), Client("LAST\r\n"), Server("+OK 0\r\n"),
                                    Client("LIST 1\r\n"), Server(c.list), Client("RETR 1\r\n"),
                                    Server("+OK\r\nSubject: s\r\n\r\nbody\r\n.\r\n"), Client("QUIT\r\n"),
                                    Server("+OK\r\n")}));
    const auto made = MakeLocalSession(server.Port(), {.user = "u", .password = "p"});
    TKelPOP& session = *made;
    ASSERT_TRUE(RunUpTo(session, Action::kLogin));
    session.CountNew();
    EXPECT_EQ(session.MsgCount(), c.msgCount);
    const auto message = session.Retrieve(1);
    ASSERT_TRUE(message);
    EXPECT_EQ(session.MsgSize(), c.msgSize);
    EXPECT_THAT(message->Text, ElementsAre("body"));
    session.Quit();
    EXPECT_THAT(server.Finish(), ElementsAre());
  }
}

}  // namespace
