// Retrieve against a scripted peer: the commands, the download loop with its
// progress events, and what a refused or broken retrieval leaves behind.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "mail/mail_error.h"
#include "mail/pop3_session.h"
#include "platform/cp1251.h"
#include "platform/posix_tcp_client.h"
#include "tests/mail/session_events.h"
#include "tests/support/fake_pop3_server.h"
#include "tests/support/local_session.h"
#include "tests/support/memory_tcp_client.h"

namespace {

using namespace testsupport;
using mail::TKelPOP;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using text::operator""_cp1251;

std::unique_ptr<TKelPOP> LoggedInSession(FakePop3Server& server) {
  auto session = MakeLocalSession(server.Port(), {.password = "pw"});
  session->Connect();
  EXPECT_TRUE(session->Login());
  return session;
}

std::vector<Step> Script(std::vector<Step> rest) {
  std::vector<Step> script = {Server("+OK\r\n"), Client("USER bob\r\n"), Server("+OK\r\n"), Client("PASS pw\r\n"),
                              Server("+OK\r\n")};
  script.insert(script.end(), rest.begin(), rest.end());
  return script;
}

// Records the retrieval events of one Retrieve call.
struct RetrieveEvents {
  std::vector<std::string> lines;
  explicit RetrieveEvents(TKelPOP& session) {
    session.OnBeforeRetrieve = [this](TKelPOP&, std::uint32_t id) { lines.push_back("before " + std::to_string(id)); };
    session.OnRetrieveProgress = [this](TKelPOP&, std::uint16_t p) { lines.push_back(std::to_string(p)); };
    session.OnAfterRetrieve = [this](TKelPOP&) { lines.push_back("after"); };
  }
};

const std::string kSmall = "+OK\r\nSubject: hi\r\nFrom: a@b\r\n\r\nline one\r\n..dotted\r\n.\r\n";

TEST(Retrieve, MessageInOneChunkReportsOnlyTheFinal100) {
  FakePop3Server server(Script({Client("LIST 1\r\n"), Server("+OK 1 4000\r\n"), Client("RETR 1\r\n"), Server(kSmall)}));
  auto session = LoggedInSession(server);
  RetrieveEvents events(*session);
  const auto message = session->Retrieve(1);
  ASSERT_TRUE(message);
  EXPECT_EQ(session->MsgSize(), 4000);
  EXPECT_EQ(message->Subject, "hi");
  EXPECT_EQ(message->From, "a@b");
  EXPECT_THAT(message->Text, ElementsAre("line one", ".dotted"));
  ASSERT_TRUE(message->Headers);
  EXPECT_THAT(*message->Headers, ElementsAre("Subject: hi", "From: a@b", ""));
  EXPECT_THAT(events.lines, ElementsAre("before 1", "100", "after"));
  session.reset();
  EXPECT_THAT(server.Finish(), ElementsAre());
}

// Pieces as the network delivers them: whatever the chunk size, the message
// is the one its whole reply gives, line breaks split between chunks included.
TEST(Retrieve, ChunksOfAnySizeGiveTheLinesOfTheWholeReply) {
  const std::string reply = "+OK\r\nSubject: s\r\n\r\na\r\nb\rc\nd\r\r\n\n\ry\r\n\r\n..x\r\n.\r\n";
  const std::vector<std::string> text = {"a", "b", "c", "d", "", "", "", "y", "", ".x"};
  for (std::size_t chunk = 1; chunk <= 12; ++chunk) {
    std::deque<std::string> replies = {"+OK\r\n", "+OK\r\n", "+OK 1 40\r\n", reply};
    TKelPOP session(std::make_unique<MemoryTcpClient>("+OK\r\n", std::move(replies), chunk), platform::EventPump());
    session.Connect();
    ASSERT_TRUE(session.Login());
    const auto message = session.Retrieve(1);
    ASSERT_TRUE(message) << "chunks of " << chunk;
    EXPECT_EQ(message->Subject, "s") << "chunks of " << chunk;
    EXPECT_THAT(message->Text, ElementsAreArray(text)) << "chunks of " << chunk;
  }
}

// LIST says 1000 octets, 2000 arrive in chunks: percentages above 100 are
// reported as computed, the threshold rises one step per event, no final 100.
TEST(Retrieve, ProgressThresholdRisesOneStepPerEvent) {
  const std::string status = "+OK\r\n";                     // 5 bytes
  const std::string head = "Subject: p\r\n\r\n";            // 14 bytes
  const std::string line(98, 'x');                          // 100 bytes with CR LF
  std::vector<std::string> chunks = {status + head};
  for (int i = 0; i < 19; ++i) chunks.push_back(line + "\r\n");
  chunks.push_back(std::string(76, 'y') + "\r\n.\r\n");  // total 2000 bytes
  FakePop3Server server(Script({Client("LIST 3\r\n"), Server("+OK 3 1000\r\n"), Client("RETR 3\r\n"),
                                ServerChunks(chunks, std::chrono::milliseconds(5))}));
  auto session = LoggedInSession(server);
  session->RetrieveProgressStep = 50;
  RetrieveEvents events(*session);
  ASSERT_TRUE(session->Retrieve(3));
  // Percent after each chunk: 12, 22, ... 192, 200; events at >= 50, 100, 150, 200.
  EXPECT_THAT(events.lines, ElementsAre("before 3", "52", "102", "152", "200", "after"));
  session.reset();
  EXPECT_THAT(server.Finish(), ElementsAre());
}

TEST(Retrieve, SizeFallsBackTo100AndZeroSizeCountsAsComplete) {
  struct Case {
    const char* name;
    std::string listReply;
    std::int32_t size;
    std::vector<std::string> events;
  } cases[] = {
      // 28 bytes arrive: 28 % of the fallback size, then the final 100.
      {"LIST refused", "-ERR no such message\r\n", 100, {"before 1", "28", "100", "after"}},
      {"no number", "+OK 1 lots\r\n", 100, {"before 1", "28", "100", "after"}},
      {"bare OK", "+OK\r\n", 100, {"before 1", "28", "100", "after"}},
      {"zero octets", "+OK 1 0\r\n", 0, {"before 1", "100", "after"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakePop3Server server(Script({Client("LIST 1\r\n"), Server(c.listReply), Client("RETR 1\r\n"),
                                  ServerChunks({"+OK\r\nSubject: s\r\n", "\r\nbody\r\n.\r\n"})}));
    auto session = LoggedInSession(server);
    RetrieveEvents events(*session);
    EXPECT_TRUE(session->Retrieve(1));
    EXPECT_EQ(session->MsgSize(), c.size);
    EXPECT_EQ(events.lines, c.events);
    session.reset();
    EXPECT_THAT(server.Finish(), ElementsAre());
  }
}

TEST(Retrieve, TerminatorSplitAtEveryOffsetGivesTheSameMessage) {
  const std::string reply = "+OK\r\nSubject: cut\r\n\r\nalpha\r\n..beta\r\n.\r\n";
  for (std::size_t cut = 1; cut < reply.size(); ++cut) {
    SCOPED_TRACE(cut);
    FakePop3Server server(Script({Client("LIST 1\r\n"), Server("+OK 1 40\r\n"), Client("RETR 1\r\n"),
                                  ServerChunks({reply.substr(0, cut), reply.substr(cut)}, std::chrono::milliseconds(10))}));
    auto session = LoggedInSession(server);
    const auto message = session->Retrieve(1);
    ASSERT_TRUE(message);
    EXPECT_EQ(message->Subject, "cut");
    EXPECT_THAT(message->Text, ElementsAre("alpha", ".beta"));
    session.reset();
    EXPECT_THAT(server.Finish(), ElementsAre());
  }
}

TEST(Retrieve, RefusedRetrClosesTheSessionAndReturnsNothing) {
  FakePop3Server server(Script({Client("LIST 9\r\n"), Server("+OK 9 10\r\n"), Client("RETR 9\r\n"),
                                Server("-ERR no such message\r\n")}));
  auto session = LoggedInSession(server);
  SessionEvents events(*session);
  RetrieveEvents retrieval(*session);
  EXPECT_EQ(session->Retrieve(9), nullptr);
  EXPECT_FALSE(session->Connected());
  EXPECT_THAT(events.lines, ElementsAre("quit", "error 2004 no such message"));
  EXPECT_THAT(retrieval.lines, ElementsAre("before 9"));
  EXPECT_THAT(server.Finish(), ElementsAre());
}

TEST(Retrieve, ConnectionClosedMidRetrEndsWithoutAMessage) {
  FakePop3Server server(Script({Client("LIST 1\r\n"), Server("+OK 1 10\r\n"), Client("RETR 1\r\n"),
                                Server("+OK\r\nSubject: half\r\n"), Drop()}));
  auto session = LoggedInSession(server);
  SessionEvents events(*session);
  EXPECT_EQ(session->Retrieve(1), nullptr);
  EXPECT_THAT(events.lines, ElementsAre("quit", std::string("error 2008 ") + std::string("Сервер закрыл соединение"_cp1251)));
  EXPECT_THAT(server.Finish(), ElementsAre());
}

TEST(Retrieve, UnparsableMessageRaisesAndKeepsTheSessionOpen) {
  FakePop3Server server(Script({Client("LIST 1\r\n"), Server("+OK 1 10\r\n"), Client("RETR 1\r\n"),
                                Server("+OK\r\nContent-Type: multipart/mixed\r\n\r\nno boundary\r\n.\r\n"),
                                Client("QUIT\r\n"), Server("+OK\r\n")}));
  auto session = LoggedInSession(server);
  session->ErrorInFormatOfMsg = "broken";
  try {
    session->Retrieve(1);
    ADD_FAILURE() << "no error raised";
  } catch (const mail::MailError& error) {
    EXPECT_STREQ(error.what(), "broken");
  }
  EXPECT_TRUE(session->Connected());
  session->Quit();
  EXPECT_THAT(server.Finish(), ElementsAre());
}

// For the application: one bad message must not hide the others. Its raw
// body spans many reads, so the text kept for the plain build is whole.
TEST(Retrieve, UnparsableMessageCanBeKeptWithItsRawBody) {
  mail::Lines rawBody = {"--x"};
  for (int i = 0; i < 500; ++i) rawBody.push_back("raw line " + std::to_string(i));
  std::string broken = "+OK\r\nSubject: broken\r\nContent-Type: multipart/mixed\r\n\r\n";
  for (const std::string_view line : rawBody) (broken += line) += "\r\n";
  FakePop3Server server(Script({Client("LIST 1\r\n"), Server("+OK 1 10\r\n"), Client("RETR 1\r\n"),
                                Server(broken + ".\r\n"),
                                Client("LIST 2\r\n"), Server("+OK 2 10\r\n"), Client("RETR 2\r\n"),
                                Server("+OK\r\nSubject: fine\r\n\r\nbody\r\n.\r\n")}));
  auto session = LoggedInSession(server);
  session->KeepUnparsableMessages = true;
  session->ErrorInFormatOfMsg = "broken format";
  const auto bad = session->Retrieve(1);
  ASSERT_TRUE(bad);
  EXPECT_EQ(session->LastParseError(), "broken format");
  EXPECT_EQ(bad->Subject, "broken");
  EXPECT_EQ(bad->ContentType, "MULTIPART/MIXED");
  EXPECT_EQ(bad->Text, rawBody);
  EXPECT_EQ(bad->AttachedFiles.Count(), 0u);
  const auto good = session->Retrieve(2);
  ASSERT_TRUE(good);
  EXPECT_EQ(session->LastParseError(), "");
  EXPECT_THAT(good->Text, ElementsAre("body"));
  session.reset();
  EXPECT_THAT(server.Finish(), ElementsAre());
}

TEST(Retrieve, NeedsAConnection) {
  TKelPOP session(std::make_unique<platform::PosixTcpClient>(), {});
  RetrieveEvents events(session);
  EXPECT_THROW(session.Retrieve(1), mail::MailError);
  EXPECT_TRUE(events.lines.empty());
}

}  // namespace
