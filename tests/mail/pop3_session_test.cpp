// The POP3 session against a scripted peer: exact command bytes, reply
// classification, refusals at every step, split replies, silence and drops.
#include "mail/pop3_session.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>

#include "mail/mail_error.h"
#include "platform/cp1251.h"
#include "platform/tcp_client.h"
#include "tests/mail/scripted_session.h"
#include "tests/mail/session_events.h"
#include "tests/support/closed_port.h"
#include "tests/support/fake_pop3_server.h"
#include "tests/support/local_session.h"

namespace {

using namespace testsupport;
using mail::TKelPOP;
using ::testing::ElementsAre;
using text::operator""_cp1251;

void ConnectAndLogIn(TKelPOP& session) {
  session.Connect();
  ASSERT_TRUE(session.Connected());
  ASSERT_TRUE(session.Login());
}

TEST(Pop3Session, WholeSessionSendsExactBytesAndFillsState) {
  FakePop3Server server(LoggedIn({
      Client("STAT\r\n"), Server("+OK 3 1200\r\n"),
      Client("LAST\r\n"), Server("+OK 1\r\n"),
      Client("TOP 2 0\r\n"), Server("+OK\r\nSubject: hi\r\n\r\n.\r\n"),
      Client("DELE 2\r\n"), Server("+OK Marked to be deleted.\r\n"),
      Client("QUIT\r\n"), Server("+OK Logging out.\r\n"),
  }));
  auto session = MakeLocalSession(server.Port());
  SessionEvents events(*session);

  ConnectAndLogIn(*session);
  EXPECT_EQ(session->CountNew(), 2u);
  EXPECT_EQ(session->MsgCount(), 3u);
  EXPECT_EQ(session->RetrieveHeaders(2), "Subject: hi\r\n\r\n.\r\n");
  session->DeleteMsg(2);
  EXPECT_EQ(session->MsgCount(), 2u);
  session->Quit();

  EXPECT_FALSE(session->Connected());
  EXPECT_FALSE(session->ReplyError());
  EXPECT_EQ(session->ReplyText(), "Logging out.");
  EXPECT_THAT(events.lines, ElementsAre("connect", "delete 2", "quit"));
  EXPECT_THAT(server.Finish(), ElementsAre());
}

TEST(Pop3Session, MessageCountsFromStatAndLast) {
  struct Case {
    const char* name;
    std::string stat, last;
    std::uint32_t msgCount, fresh;
  } cases[] = {
      {"three, one read", "+OK 3 1200\r\n", "+OK 1\r\n", 3, 2},
      {"nothing read", "+OK 3 1200\r\n", "+OK 0\r\n", 3, 3},
      {"LAST refused", "+OK 3 1200\r\n", "-ERR Unknown command\r\n", 3, 0},
      {"LAST above STAT never wraps", "+OK 3 1200\r\n", "+OK 7\r\n", 3, 0},
      {"LAST not a number", "+OK 3 1200\r\n", "+OK many\r\n", 3, 3},
      {"LAST negative", "+OK 3 1200\r\n", "+OK -2\r\n", 3, 3},
      {"STAT without a blank", "+OK 3\r\n", "+OK 0\r\n", 0, 0},
      {"STAT not a number", "+OK x 1200\r\n", "+OK 0\r\n", 0, 0},
      {"STAT negative", "+OK -4 1200\r\n", "+OK 0\r\n", 0, 0},
      {"more than 16 bits", "+OK 70000 9999999\r\n", "+OK 69999\r\n", 70000, 1},
      {"beyond 32 bits", "+OK 99999999999 1\r\n", "+OK 0\r\n", 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakePop3Server server(LoggedIn({Client("STAT\r\n"), Server(c.stat), Client("LAST\r\n"), Server(c.last),
                                    Client("QUIT\r\n"), Server("+OK\r\n")}));
    auto session = MakeLocalSession(server.Port());
    SessionEvents events(*session);
    ConnectAndLogIn(*session);
    EXPECT_EQ(session->CountNew(), c.fresh);
    EXPECT_EQ(session->MsgCount(), c.msgCount);
    EXPECT_TRUE(session->Connected());
    session->Quit();
    EXPECT_THAT(events.lines, ElementsAre("connect", "quit"));
    EXPECT_THAT(server.Finish(), ElementsAre());
  }
}

// Each refusal closes the session: OnQuit, then OnError with the code and the
// server's text, and the operation's failure value.
TEST(Pop3Session, RefusalAtEachStepEndsTheSession) {
  struct Case {
    const char* name;
    std::vector<Step> script;
    std::function<void(TKelPOP&)> act;
    int code;
  } cases[] = {
      {"greeting", {Server("-ERR go away\r\n")}, [](TKelPOP&) {}, 2000},
      {"USER",
       {Server("+OK\r\n"), Client("USER bob\r\n"), Server("-ERR no such user\r\n")},
       [](TKelPOP& s) { EXPECT_FALSE(s.Login()); },
       2001},
      {"PASS",
       {Server("+OK\r\n"), Client("USER bob\r\n"), Server("+OK\r\n"), Client("PASS secret\r\n"),
        Server("-ERR [AUTH] Authentication failed.\r\n")},
       [](TKelPOP& s) { EXPECT_FALSE(s.Login()); },
       2001},
      {"STAT",
       LoggedIn({Client("STAT\r\n"), Server("-ERR mailbox locked\r\n")}),
       [](TKelPOP& s) {
         ASSERT_TRUE(s.Login());
         EXPECT_EQ(s.CountNew(), 0u);
       },
       2006},
      {"TOP",
       LoggedIn({Client("TOP 1 0\r\n"), Server("-ERR no such message\r\n")}),
       [](TKelPOP& s) {
         ASSERT_TRUE(s.Login());
         EXPECT_EQ(s.RetrieveHeaders(1), "");
       },
       2005},
      {"DELE",
       LoggedIn({Client("STAT\r\n"), Server("+OK 2 10\r\n"), Client("LAST\r\n"), Server("+OK 0\r\n"),
                 Client("DELE 1\r\n"), Server("-ERR cannot delete\r\n")}),
       [](TKelPOP& s) {
         ASSERT_TRUE(s.Login());
         s.CountNew();
         s.DeleteMsg(1);
         EXPECT_EQ(s.MsgCount(), 2u);
       },
       2003},
      {"QUIT",
       LoggedIn({Client("QUIT\r\n"), Server("-ERR cannot quit\r\n")}),
       [](TKelPOP& s) {
         ASSERT_TRUE(s.Login());
         s.Quit();
       },
       2002},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakePop3Server server(c.script);
    auto session = MakeLocalSession(server.Port());
    SessionEvents events(*session);
    session->Connect();
    c.act(*session);
    const std::string& last = c.script.back().chunks.at(0);
    const std::string text = last.substr(5, last.size() - 7);
    EXPECT_FALSE(session->Connected());
    EXPECT_TRUE(session->ReplyError());
    EXPECT_THAT(events.lines, ElementsAre("connect", "quit", "error " + std::to_string(c.code) + " " + text));
    EXPECT_THAT(server.Finish(), ElementsAre());
  }
}

// Servers may split a status line across reads; it is still one reply.
TEST(Pop3Session, StatusLineSplitAcrossReadsIsOneReply) {
  FakePop3Server server({ServerChunks({"+OK PO", "P3 re", "ady\r", "\n"}), Client("USER bob\r\n"),
                         ServerChunks({"+", "OK\r\n"}), Client("PASS secret\r\n"), Server("+OK\r\n"),
                         Client("STAT\r\n"), ServerChunks({"+OK 12 3", "4567\r\n"}), Client("LAST\r\n"),
                         ServerChunks({"-ER", "R what\r\n"})});
  auto session = MakeLocalSession(server.Port());
  SessionEvents events(*session);
  ConnectAndLogIn(*session);
  EXPECT_EQ(session->CountNew(), 0u);
  EXPECT_EQ(session->MsgCount(), 12u);
  EXPECT_TRUE(session->ReplyError());
  EXPECT_EQ(session->ReplyText(), "what");
  EXPECT_TRUE(session->Connected());
  EXPECT_THAT(events.lines, ElementsAre("connect"));
  session.reset();
  EXPECT_THAT(server.Finish(), ElementsAre());
}

// The TOP block is whole however it is cut, the terminator split included.
TEST(Pop3Session, TopReplyCutAtEveryOffsetIsReturnedWhole) {
  const std::string block = "Subject: split\r\nFrom: a@b\r\n\r\n.\r\n";
  const std::string reply = "+OK\r\n" + block;
  for (std::size_t cut = 1; cut < reply.size(); ++cut) {
    SCOPED_TRACE("cut at " + std::to_string(cut));
    FakePop3Server server(LoggedIn({Client("TOP 1 0\r\n"), ServerChunks({reply.substr(0, cut), reply.substr(cut)},
                                                                        std::chrono::milliseconds(15))}));
    auto session = MakeLocalSession(server.Port());
    ConnectAndLogIn(*session);
    EXPECT_EQ(session->RetrieveHeaders(1), block);
    session.reset();
    EXPECT_THAT(server.Finish(), ElementsAre());
  }
}

TEST(Pop3Session, TopBlockOverManyChunksAndEmptyBlock) {
  FakePop3Server server(LoggedIn({Client("TOP 1 0\r\n"), ServerChunks({"+OK 4 octets\r\nA: 1\r\n", "B: 2\r\n\r", "\n.", "\r\n"}),
                                  Client("TOP 2 0\r\n"), Server("+OK\r\n.\r\n")}));
  auto session = MakeLocalSession(server.Port());
  ConnectAndLogIn(*session);
  EXPECT_EQ(session->RetrieveHeaders(1), "A: 1\r\nB: 2\r\n\r\n.\r\n");
  EXPECT_EQ(session->RetrieveHeaders(2), ".\r\n");
  session.reset();
  EXPECT_THAT(server.Finish(), ElementsAre());
}

// No operation waits or reads forever: silence ends it with 2007, a closed connection with 2008.
TEST(Pop3Session, SilenceAndClosedConnectionEndTheOperation) {
  const std::string timedOut = std::string("error 2007 ") + std::string("Сервер не ответил вовремя"_cp1251);
  const std::string closed = std::string("error 2008 ") + std::string("Сервер закрыл соединение"_cp1251);
  struct Case {
    const char* name;
    std::vector<Step> script;
    std::function<void(TKelPOP&)> act;
    std::vector<std::string> events;
  } cases[] = {
      {"silent after connect", {Silence(std::chrono::milliseconds(2000))}, [](TKelPOP&) {},
       {"connect", "quit", timedOut}},
      {"closed before the greeting", {Drop()}, [](TKelPOP&) {}, {"connect", "quit", closed}},
      {"silent after USER",
       {Server("+OK\r\n"), Client("USER bob\r\n"), Silence(std::chrono::milliseconds(2000))},
       [](TKelPOP& s) { EXPECT_FALSE(s.Login()); },
       {"connect", "quit", timedOut}},
      {"status line never completed",
       {Server("+OK\r\n"), Client("USER bob\r\n"), Server("+OK wait"), Silence(std::chrono::milliseconds(2000))},
       [](TKelPOP& s) { EXPECT_FALSE(s.Login()); },
       {"connect", "quit", timedOut}},
      {"closed in the middle of TOP",
       LoggedIn({Client("TOP 1 0\r\n"), Server("+OK\r\nSubject: x\r\n"), Drop()}),
       [](TKelPOP& s) {
         ASSERT_TRUE(s.Login());
         EXPECT_EQ(s.RetrieveHeaders(1), "");
       },
       {"connect", "quit", closed}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakePop3Server server(c.script);
    auto session = MakeLocalSession(server.Port());
    session->ReplyTimeoutMs = 500;
    SessionEvents events(*session);
    session->Connect();
    c.act(*session);
    EXPECT_FALSE(session->Connected());
    EXPECT_EQ(events.lines, c.events);
    EXPECT_THAT(server.Finish(), ElementsAre());
  }
}

TEST(Pop3Session, EventPumpRunsWhileWaiting) {
  FakePop3Server server({Silence(std::chrono::milliseconds(700)), Server("+OK late\r\n")});
  int pumped = 0;
  auto session = MakeLocalSession(server.Port(), {.pump = [&] { ++pumped; }});
  session->Connect();
  EXPECT_TRUE(session->Connected());
  EXPECT_GE(pumped, 2);
  session.reset();
  EXPECT_THAT(server.Finish(), ElementsAre());
}

TEST(Pop3Session, CommandsNeedAConnection) {
  auto session = MakeLocalSession(1);
  SessionEvents events(*session);
  struct Case {
    const char* name;
    std::function<void()> act;
    std::string message;
  } cases[] = {
      {"Login", [&] { session->Login(); }, std::string("Не возможен вход т.к. нет соединения!"_cp1251)},
      {"RetrieveHeaders", [&] { session->RetrieveHeaders(1); }, std::string("Нет соединения."_cp1251)},
      {"DeleteMsg", [&] { session->DeleteMsg(1); }, std::string("Нет соединения."_cp1251)},
  };
  for (const auto& c : cases) {
    try {
      c.act();
      ADD_FAILURE() << c.name << " did not raise";
    } catch (const mail::MailError& error) {
      EXPECT_EQ(error.what(), c.message) << c.name;
    }
  }
  session->Quit();
  EXPECT_TRUE(events.lines.empty());
}

TEST(Pop3Session, ConnectionThatCannotOpenLeavesSessionClosedSilently) {
  const ClosedPort closed;
  for (const std::string host : {"", "127.0.0.1"}) {
    auto session = MakeLocalSession(closed.Port());
    session->Host = host;
    SessionEvents events(*session);
    session->Connect();
    EXPECT_FALSE(session->Connected()) << host;
    EXPECT_TRUE(session->ReplyError()) << host;
    EXPECT_TRUE(events.lines.empty()) << host;
  }
}

// What the session hands to the connection, seen through a fake connection.
class RecordingClient : public platform::TcpClient {
 public:
  struct Opened {
    std::string address, name;
    int port;
  };
  explicit RecordingClient(std::vector<Opened>& log) : log_(log) {}
  void Open(const std::string& address, const std::string& name, int port) override {
    log_.push_back({address, name, port});
    throw platform::ConnectError("not really");
  }
  void Close() override {}
  void StartTls(const std::string&, const std::string&) override {}
  bool WaitReadable(int) override { return false; }
  std::size_t Read(char*, std::size_t) override { return 0; }
  void Write(std::string_view) override {}

 private:
  std::vector<Opened>& log_;
};

TEST(Pop3Session, HostIsHandedOverAsAddressOrNameAndPortDefaultsTo110) {
  struct Case {
    std::string host, port;
    bool byAddress;
    int expectedPort;
  } cases[] = {
      {"192.168.1.20", "110", true, 110},   {"10.0.0.1", "110", false, 110}, {"192.168.1.255", "110", false, 110},
      {"mail", "110", false, 110},          {"pop.example.ru", "995", false, 995},
      {"192.168.1.20", "abc", true, 110},   {"192.168.1.20", "", true, 110},
  };
  for (const auto& c : cases) {
    std::vector<RecordingClient::Opened> log;
    TKelPOP session(std::make_unique<RecordingClient>(log), {});
    session.Host = c.host;
    session.Port = c.port;
    session.Connect();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].address, c.byAddress ? c.host : "") << c.host;
    EXPECT_EQ(log[0].name, c.byAddress ? "" : c.host) << c.host;
    EXPECT_EQ(log[0].port, c.expectedPort) << c.host << ":" << c.port;
  }
}

// A connection whose reads or writes the system refuses.
class RefusingClient : public platform::TcpClient {
 public:
  explicit RefusingClient(bool refuseWrites) : refuseWrites_(refuseWrites) {}
  void Open(const std::string&, const std::string&, int) override {
    open_ = true;
    if (OnConnect) OnConnect();
  }
  void Close() override {
    if (open_ && OnClose) OnClose();
    open_ = false;
  }
  void StartTls(const std::string&, const std::string&) override {}
  bool WaitReadable(int) override { return true; }
  std::size_t Read(char* buffer, std::size_t) override {
    if (greeted_) throw platform::SocketError("Read", ECONNRESET);
    greeted_ = true;
    std::memcpy(buffer, "+OK\r\n", 5);
    return 5;
  }
  void Write(std::string_view) override {
    if (refuseWrites_) throw platform::SocketError("Write", EPIPE);
  }

 private:
  bool refuseWrites_;
  bool open_ = false;
  bool greeted_ = false;
};

// The error goes on to the caller, and the session is closed, not left
// connected to a socket that can no longer be used.
TEST(Pop3Session, RefusedReadOrWriteClosesTheSessionAndRaises) {
  for (const bool refuseWrites : {true, false}) {
    TKelPOP session(std::make_unique<RefusingClient>(refuseWrites), {});
    SessionEvents events(session);
    session.Connect();
    ASSERT_TRUE(session.Connected());
    EXPECT_THROW(session.Login(), platform::SocketError);
    EXPECT_FALSE(session.Connected());
    EXPECT_THAT(events.lines, ElementsAre("connect", "quit"));
    session.Quit();  // nothing more to do, nothing raised
  }
}

TEST(IsIPAddress, AcceptsOnlyFourPiecesFrom1To254) {
  struct Case {
    const char* text;
    bool expected;
  } cases[] = {
      {"192.168.1.20", true}, {"1.1.1.1", true},       {"254.254.254.254", true}, {"10.0.0.1", false},
      {"192.168.1.255", false}, {"0.1.1.1", false},    {"mail", false},           {"1.2.3", false},
      {"1.2.3.4.5", false},   {"a.b.c.d", false},      {"1..2.3", false},         {"", false},
      {"1.2.3.-4", false},    {"300.1.1.1", false},
  };
  for (const auto& c : cases) EXPECT_EQ(mail::IsIPAddress(c.text), c.expected) << c.text;
}

}  // namespace
