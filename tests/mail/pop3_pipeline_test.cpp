// Sending a pass's commands ahead (RFC 2449 pipelining): what goes on the
// wire against a scripted peer, and that a pass gives the same messages,
// events and errors with it as without it, here and against Dovecot.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <numeric>

#include "mail/mailbox_pass.h"
#include "mail/pop3_session.h"
#include "platform/seen_ids_store.h"
#include "tests/mail/session_events.h"
#include "tests/support/dovecot_server.h"
#include "tests/support/fake_pop3_server.h"
#include "tests/support/local_session.h"
#include "tests/support/pop3_replies.h"
#include "tests/support/temp_files.h"
#include "tests/support/transfer_encoders.h"

namespace {

using namespace testsupport;
using mail::TKelPOP;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::unique_ptr<TKelPOP> MakeSession(int port) { return MakeLocalSession(port, {.password = "pw"}); }

// Everything a pass shows of one message, and the events on the way, as lines.
struct PassLog {
  std::vector<std::string> lines;
  explicit PassLog(TKelPOP& session) {
    session.OnConnect = [this](platform::TcpClient&) { lines.push_back("connect"); };
    session.OnQuit = [this](platform::TcpClient&) { lines.push_back("quit"); };
    session.OnError = [this](TKelPOP&, int code, const std::string& msg) {
      lines.push_back("error " + std::to_string(code) + " " + msg);
    };
    session.OnBeforeRetrieve = [this](TKelPOP&, std::uint32_t id) { lines.push_back("before " + std::to_string(id)); };
    session.OnRetrieveProgress = [this](TKelPOP&, std::uint16_t p) { lines.push_back("progress " + std::to_string(p)); };
    session.OnAfterRetrieve = [this](TKelPOP&) { lines.push_back("after"); };
    session.OnDecodeStart = [this](TKelPOP&, const std::string& name, std::int32_t bytes) {
      lines.push_back("decode " + name + " " + std::to_string(bytes));
    };
    session.OnDecodeEnd = [this](TKelPOP&) { lines.push_back("decoded"); };
    session.OnDelete = [this](TKelPOP&, std::uint32_t id) { lines.push_back("delete " + std::to_string(id)); };
  }
  void Add(std::uint32_t n, std::int32_t size, const mail::TKelMsg& message, const std::string& top) {
    lines.push_back(std::to_string(n) + " size " + std::to_string(size) + " from " + message.From +
                    " subject " + message.Subject);
    for (const std::string_view line : message.Text) lines.push_back("text " + std::string(line));
    for (std::size_t i = 0; i < message.AttachedFiles.Count(); ++i) {
      const mail::TAttachedFile& file = message.AttachedFiles.Items(i);
      lines.push_back("file " + file.FileName + " " + std::to_string(std::hash<std::string>{}(file.Data.value_or(""))));
    }
    lines.push_back("top " + top);
  }
};

// Each message the pass fetched, into the log; and whether it went ahead.
class LoggedPass : public mail::PassObserver {
 public:
  LoggedPass(PassLog& log, const TKelPOP& session) : log_(log), session_(session) {}
  void Counted(std::uint32_t count, std::uint32_t fresh) override {
    count_ = count;
    fresh_ = fresh;
  }
  void Fetched(mail::FetchedMessage fetched) override {
    pipelined_ = pipelined_ || session_.Pipelining();
    if (fetched.topHeadersRead) log_.Add(fetched.number, fetched.size, *fetched.message, fetched.topHeaders);
  }
  std::uint32_t count_ = 0;
  std::uint32_t fresh_ = 0;
  bool pipelined_ = false;

 private:
  PassLog& log_;
  const TKelPOP& session_;
};

// One whole pass over the mailbox, its commands sent ahead or not.
PassLog RunPass(int port, std::uint32_t count, bool ahead, bool* pipelined = nullptr) {
  auto session = MakeSession(port);
  PassLog log(*session);
  LoggedPass observer(log, *session);
  const TempDir state;
  platform::FileSeenIdsStore seenIds(state.Path().string());
  mail::MailboxPass pass(*session, seenIds, observer, {.sendAhead = ahead});
  EXPECT_EQ(pass.Run(), mail::PassStage::LoggedIn);
  EXPECT_EQ(observer.count_, count);
  if (pipelined) *pipelined = observer.pipelined_;
  return log;
}

std::string Headers(std::uint32_t n) { return "Subject: message " + std::to_string(n) + "\r\nFrom: a@b\r\n\r\n"; }
std::string ListReply(std::uint32_t n) { return "+OK " + std::to_string(n) + " 100000\r\n"; }
std::string RetrReply(std::uint32_t n) {
  return MultiLineReply("+OK", Headers(n) + "line of " + std::to_string(n) + "\r\n.dotted\r\n");
}
std::string TopReply(std::uint32_t n) { return MultiLineReply("+OK", Headers(n)); }
std::string Commands(std::uint32_t n) {
  const std::string number = std::to_string(n);
  return "LIST " + number + "\r\nRETR " + number + "\r\nTOP " + number + " 0\r\n";
}
std::string Replies(std::uint32_t n) { return ListReply(n) + RetrReply(n) + TopReply(n); }

std::vector<Step> Append(std::vector<Step> script, const std::vector<Step>& rest) {
  script.insert(script.end(), rest.begin(), rest.end());
  return script;
}

const std::vector<Step> kLoggedIn = {Server("+OK\r\n"), Client("USER bob\r\n"), Server("+OK\r\n"),
                                     Client("PASS pw\r\n"), Server("+OK\r\n")};

std::vector<Step> Login(const std::string& capaReply) {
  return Append(kLoggedIn, {Client("CAPA\r\n"), Server(capaReply)});
}

// A whole pass's start: logged in, `count` messages counted, none read yet, then CAPA.
std::vector<Step> PassStart(const std::string& capaReply, std::uint32_t count) {
  return Append(kLoggedIn, {Client("STAT\r\n"), Server("+OK " + std::to_string(count) + " 3000\r\n"),
                            Client("LAST\r\n"), Server("+OK 0\r\n"), Client("CAPA\r\n"), Server(capaReply)});
}

const std::string kCapaPipelining = "+OK\r\nTOP\r\nUSER\r\npipelining\r\nUIDL\r\n.\r\n";
const std::vector<Step> kQuit = {Client("QUIT\r\n"), Server("+OK bye\r\n")};

// Each command written after the previous reply.
std::vector<Step> OneByOne(const std::string& capaReply, std::uint32_t count) {
  std::vector<Step> script = PassStart(capaReply, count);
  for (std::uint32_t n = 1; n <= count; ++n)
    script = Append(script, {Client("LIST " + std::to_string(n) + "\r\n"), Server(ListReply(n)),
                             Client("RETR " + std::to_string(n) + "\r\n"), Server(RetrReply(n)),
                             Client("TOP " + std::to_string(n) + " 0\r\n"), Server(TopReply(n))});
  return Append(script, kQuit);
}

// Every command written before the first reply; the replies in pieces of `piece` bytes.
std::vector<Step> AllAhead(std::uint32_t count, std::size_t piece) {
  std::string commands, replies;
  for (std::uint32_t n = 1; n <= count; ++n) {
    commands += Commands(n);
    replies += Replies(n);
  }
  std::vector<std::string> pieces;
  for (std::size_t i = 0; i < replies.size(); i += piece) pieces.push_back(replies.substr(i, piece));
  return Append(PassStart(kCapaPipelining, count),
                Append({Client(commands), ServerChunks(pieces, milliseconds(1))}, kQuit));
}

TEST(Pop3Pipeline, PassGivesTheSameMessagesAndEventsWithAndWithoutPipelining) {
  constexpr std::uint32_t kCount = 3;
  struct Case {
    const char* name;
    std::vector<Step> script;
    bool pipelines;
  };
  const Case cases[] = {
      {"CAPA refused", OneByOne("-ERR unknown command\r\n", kCount), false},
      {"CAPA without PIPELINING", OneByOne("+OK\r\nTOP\r\nUSER\r\n.\r\n", kCount), false},
      {"replies in one piece", AllAhead(kCount, 100000), true},
      {"replies in pieces of 7 bytes", AllAhead(kCount, 7), true},
      {"replies split inside CR LF", AllAhead(kCount, 9), true},
  };
  std::optional<PassLog> reference;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakePop3Server server(c.script);
    bool pipelined = false;
    const PassLog log = RunPass(server.Port(), kCount, true, &pipelined);
    EXPECT_EQ(pipelined, c.pipelines);
    EXPECT_THAT(server.Finish(), IsEmpty());
    if (!reference) reference = log;
    EXPECT_EQ(log.lines, reference->lines);
  }
  EXPECT_THAT(reference->lines,
              ElementsAre("connect", "before 1", "progress 100", "after",
                          "1 size 100000 from a@b subject message 1", "text line of 1", "text .dotted",
                          "top " + Headers(1) + ".\r\n", "before 2", "progress 100", "after",
                          "2 size 100000 from a@b subject message 2", "text line of 2", "text .dotted",
                          "top " + Headers(2) + ".\r\n", "before 3", "progress 100", "after",
                          "3 size 100000 from a@b subject message 3", "text line of 3", "text .dotted",
                          "top " + Headers(3) + ".\r\n", "quit"));
}

// A server that claims millions of messages gets one window of commands
// ahead; the first refused RETR ends the pass.
TEST(Pop3Pipeline, MailboxThatClaimsMillionsOfMessagesGetsOneWindowAhead) {
  constexpr std::uint32_t kClaimed = 4000000;
  std::string window;
  for (std::uint32_t n = 1; n <= 34; ++n) window += Commands(n);
  window.resize(window.rfind("RETR 34"));
  FakePop3Server server(Append(PassStart(kCapaPipelining, kClaimed),
                               {Client(window), Server(Replies(1) + "-ERR no such message\r\n-ERR no such message\r\n")}));
  const PassLog log = RunPass(server.Port(), kClaimed, true);
  EXPECT_THAT(server.Finish(), IsEmpty());
  EXPECT_EQ(std::count(log.lines.begin(), log.lines.end(), "after"), 1);
}

// UIDL lines for numbers STAT did not count, or listed twice, are neither new
// mail nor kept as seen.
TEST(Pop3Pipeline, UidlLinesBeyondTheCountedMessagesAreNeitherNewNorSeen) {
  FakePop3Server server(Append(kLoggedIn, {Client("STAT\r\n"), Server("+OK 1 3000\r\n"), Client("LAST\r\n"),
                                           Server("-ERR unknown command\r\n"), Client("UIDL\r\n"),
                                           Server("+OK\r\n1 a\r\n2 b\r\n1 c\r\n1000000 d\r\n.\r\n"),
                                           Client("CAPA\r\n"), Server("-ERR unknown command\r\n"),
                                           Client("LIST 1\r\n"), Server(ListReply(1)), Client("RETR 1\r\n"),
                                           Server(RetrReply(1)), Client("TOP 1 0\r\n"), Server(TopReply(1)),
                                           Client("QUIT\r\n"), Server("+OK bye\r\n")}));
  auto session = MakeSession(server.Port());
  PassLog log(*session);
  LoggedPass observer(log, *session);
  const TempDir state;
  platform::FileSeenIdsStore seenIds(state.Path().string());
  mail::MailboxPass pass(*session, seenIds, observer, {});
  EXPECT_EQ(pass.Run(), mail::PassStage::LoggedIn);
  EXPECT_THAT(server.Finish(), IsEmpty());
  EXPECT_EQ(observer.fresh_, 1u);
  EXPECT_EQ(seenIds.Load({"127.0.0.1", server.Port(), "bob"}), (mail::SeenIds{"a"}));
}

// 40 messages are 120 commands, more than go ahead at once: each is still
// written once, in order, and every reply is read.
TEST(Pop3Pipeline, PassLongerThanTheWindowSendsEveryCommandOnce) {
  constexpr std::uint32_t kCount = 40;
  std::vector<std::string> commands, replies;
  for (std::uint32_t n = 1; n <= kCount; ++n) {
    const std::string number = std::to_string(n);
    commands.insert(commands.end(), {"LIST " + number + "\r\n", "RETR " + number + "\r\n", "TOP " + number + " 0\r\n"});
    replies.insert(replies.end(), {ListReply(n), RetrReply(n), TopReply(n)});
  }
  const auto join = [](const std::vector<std::string>& parts, std::size_t from, std::size_t to) {
    return std::accumulate(parts.begin() + from, parts.begin() + to, std::string());
  };
  FakePop3Server server(Append(PassStart(kCapaPipelining, kCount), Append({Client(join(commands, 0, 100)), Server(join(replies, 0, 49)),
                                                               Client(join(commands, 100, 120)),
                                                               Server(join(replies, 49, 120))},
                                                              kQuit)));
  const PassLog log = RunPass(server.Port(), kCount, true);
  EXPECT_THAT(server.Finish(), IsEmpty());
  EXPECT_EQ(std::count(log.lines.begin(), log.lines.end(), "after"), kCount);
  EXPECT_EQ(log.lines.back(), "quit");
}

TEST(Pop3Pipeline, RefusedRetrieveEndsTheSessionAsWithoutPipelining) {
  FakePop3Server server(Append(Login(kCapaPipelining), {Client(Commands(1) + Commands(2)),
                                                        Server(Replies(1) + ListReply(2) + "-ERR no such message\r\n" +
                                                               "-ERR no such message\r\n")}));
  auto session = MakeSession(server.Port());
  PassLog log(*session);
  session->Connect();
  ASSERT_TRUE(session->Login());
  session->SendAhead({1, 2});
  EXPECT_TRUE(session->Pipelining());
  EXPECT_TRUE(session->Retrieve(1));
  EXPECT_EQ(session->RetrieveHeaders(1), Headers(1) + ".\r\n");
  EXPECT_FALSE(session->Retrieve(2));
  EXPECT_FALSE(session->Connected());
  EXPECT_FALSE(session->Pipelining());
  EXPECT_THAT(log.lines, ElementsAre("connect", "before 1", "progress 100", "after", "before 2", "quit",
                                     "error 2004 no such message"));
  session.reset();
  EXPECT_THAT(server.Finish(), IsEmpty());
}

// A command off the plan reads the replies still owed, then goes alone; the
// rest of the pass runs one command at a time.
TEST(Pop3Pipeline, CommandsOffThePlanWaitForTheRepliesOwed) {
  struct Case {
    const char* name;
    std::function<void(TKelPOP&)> calls;
    std::vector<Step> after;
  };
  const Case cases[] = {
      {"quit after the first message", [](TKelPOP& s) { s.Retrieve(1); }, {}},
      {"quit before any reply", [](TKelPOP&) {}, {}},
      {"delete, then a message",
       [](TKelPOP& s) {
         s.Retrieve(1);
         s.RetrieveHeaders(1);
         s.DeleteMsg(1);
         s.Retrieve(2);
       },
       {Client("DELE 1\r\n"), Server("+OK\r\n"), Client("LIST 2\r\n"), Server(ListReply(2)), Client("RETR 2\r\n"),
        Server(RetrReply(2))}},
      {"a message out of order skips the replies before it",
       [](TKelPOP& s) {
         s.Retrieve(2);
         s.RetrieveHeaders(2);
         s.Retrieve(1);
       },
       {Client("LIST 1\r\n"), Server(ListReply(1)), Client("RETR 1\r\n"), Server(RetrReply(1))}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakePop3Server server(Append(Login(kCapaPipelining),
                                 Append({Client(Commands(1) + Commands(2)), Server(Replies(1) + Replies(2))},
                                        Append(c.after, kQuit))));
    auto session = MakeSession(server.Port());
    SessionEvents events(*session);
    session->Connect();
    ASSERT_TRUE(session->Login());
    session->SendAhead({1, 2});
    c.calls(*session);
    session->Quit();
    EXPECT_FALSE(session->Connected());
    EXPECT_EQ(events.lines.back(), "quit");
    EXPECT_EQ(std::count_if(events.lines.begin(), events.lines.end(), [](const std::string& l) { return l.starts_with("error"); }), 0);
    session.reset();
    EXPECT_THAT(server.Finish(), IsEmpty());
  }
}

// Messages Dovecot sends in many reads: text, folded headers, dot-stuffing,
// and a base64 attachment of a few hundred KiB.
std::vector<std::string> DovecotMessages() {
  std::string bytes(300 * 1024, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 2654435761u >> 13);
  std::string attachment;
  for (const std::string_view line : CutEvery(EncodeBase64(bytes), 76)) (attachment += line) += "\r\n";
  std::vector<std::string> messages;
  for (int i = 1; i <= 12; ++i) {
    std::string text = "From: Sender " + std::to_string(i) + " <s@example.org>\r\nSubject: note " + std::to_string(i) +
                       "\r\nX-Long: folded\r\n  header\r\n\r\n";
    for (int k = 0; k < i * 40; ++k) text += "line " + std::to_string(k) + "\r\n" + (k % 7 == 0 ? ".dot\r\n" : "");
    messages.push_back(text);
  }
  messages.push_back(
      "From: a@example.org\r\nSubject: with a file\r\nMIME-Version: 1.0\r\n"
      "Content-Type: multipart/mixed; boundary=\"b\"\r\n\r\n--b\r\nContent-Type: text/plain\r\n\r\nSee the file.\r\n"
      "--b\r\nContent-Type: application/octet-stream; name=\"data.bin\"\r\nContent-Transfer-Encoding: base64\r\n\r\n" +
      attachment + "--b--\r\n");
  return messages;
}

TEST(Pop3PipelineDovecot, DovecotListsPipeliningAndAPipelinedPassEqualsAPlainOne) {
  const std::vector<std::string> messages = DovecotMessages();
  DovecotServer server({{"bob", "pw", messages}});
  const auto count = static_cast<std::uint32_t>(messages.size());
  bool pipelined = false;
  const PassLog plain = RunPass(server.Port(), count, false);
  const PassLog ahead = RunPass(server.Port(), count, true, &pipelined);
  EXPECT_TRUE(pipelined);
  ASSERT_EQ(std::count(plain.lines.begin(), plain.lines.end(), "after"), count);
  // Progress percentages follow how the bytes arrive, so they are left out.
  const auto withoutProgress = [](std::vector<std::string> lines) {
    std::erase_if(lines, [](const std::string& line) { return line.starts_with("progress "); });
    return lines;
  };
  const std::vector<std::string> expected = withoutProgress(plain.lines);
  const std::vector<std::string> got = withoutProgress(ahead.lines);
  ASSERT_EQ(got.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(got[i], expected[i]) << "line " << i;
}

}  // namespace
