#include "mail/pop3_session.h"

#include <chrono>

#include "mail/mail_error.h"
#include "mail/text_utils.h"
#include "platform/cp1251.h"

using text::operator""_cp1251;

namespace mail {

namespace {

using Clock = std::chrono::steady_clock;

// Readability is polled in slices so events keep flowing; short enough that
// the window never goes 50 ms without serving them.
constexpr int kPollSliceMs = 20;
constexpr std::size_t kReadSize = 1024;
// A status line is a few dozen bytes; a server that sends a megabyte without a
// line break is broken or hostile.
constexpr std::size_t kMaxStatusLine = 1024 * 1024;
// A multi-line reply gets ReplyTimeoutMs again each time this much more has
// arrived: a slow but steady download goes on, a server that trickles a byte
// now and then is cut off.
constexpr std::size_t kProgressBytes = 64 * 1024;
constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kTerminator = "\r\n.\r\n";

// A message count or number as the server wrote it; anything that is not a
// non-negative number fitting 32 bits counts as 0.
std::uint32_t ToCount(std::string_view text) {
  const std::int64_t value = ToIntDef(Trim(text), 0);
  return value < 0 || value > UINT32_MAX ? 0 : static_cast<std::uint32_t>(value);
}

// Knows no type at all, so every lookup falls back to its default.
class NoMimeDatabase : public platform::MimeDatabase {
 public:
  std::string ContentTypeOfExtension(const std::string&) const override { return {}; }
  std::string ExtensionOfContentType(const std::string&) const override { return {}; }
};
const NoMimeDatabase kNoMimeDatabase;

}  // namespace

bool IsIPAddress(const std::string& text) {
  std::string_view rest = text;
  for (int piece = 0; piece < 4; ++piece) {
    std::string_view part = rest;
    if (piece < 3) {
      const auto dot = rest.find('.');
      if (dot == std::string_view::npos) return false;
      part = rest.substr(0, dot);
      rest.remove_prefix(dot + 1);
    }
    const std::int64_t value = ToIntDef(part, -1);
    if (value < 1 || value > 254) return false;
  }
  return true;
}

TKelPOP::TKelPOP(std::unique_ptr<platform::TcpClient> connection, platform::EventPump eventPump,
                 const platform::MimeDatabase* mimeDatabase)
    : ErrorInFormatOfMsg("Ошибочный формат сообщения!"_cp1251),
      connection_(std::move(connection)),
      eventPump_(std::move(eventPump)),
      mimeDatabase_(mimeDatabase ? *mimeDatabase : kNoMimeDatabase) {
  connection_->OnConnect = [this] {
    connected_ = true;
    if (OnConnect) OnConnect(*connection_);
  };
  connection_->OnClose = [this] {
    connected_ = false;
    if (OnQuit) OnQuit(*connection_);
  };
}

TKelPOP::~TKelPOP() {
  // No events from a session that is going away.
  connection_->OnConnect = nullptr;
  connection_->OnClose = nullptr;
}

// A connection that cannot be made or secured ends here, before any
// credentials go out; the caller reports it itself, from Connected and
// Failure.
void TKelPOP::Connect() {
  msgCount_ = 0;
  replyError_ = false;
  failure_ = {};
  const auto secure = [&] {
    try {
      connection_->StartTls(Host, CertSha256);
      return true;
    } catch (const platform::TlsError& error) {
      SessionFailure failure(kSecureFailed, {}, error.what());
      failure.peerCertSha256 = error.Fingerprint();
      failure.certificateUntrusted = error.Untrusted();
      failure.certificateProblem = error.Problem();
      RefuseConnection(std::move(failure));
      return false;
    }
  };
  const auto port = static_cast<int>(ToIntDef(Port, 110));
  const bool byAddress = IsIPAddress(Host);
  try {
    connection_->Open(byAddress ? Host : std::string(), byAddress ? std::string() : Host, port);
  } catch (const platform::ConnectError& error) {
    return RefuseConnection({kConnectFailed, {}, error.what()});
  }
  if (!connected_ || (Security == platform::Security::Tls && !secure())) return;
  // A server that does not greet with "+OK" is not one to talk to.
  std::string reply;
  if (!ReadReply(reply)) return;
  if (replyError_ || !reply.starts_with("+OK")) return SignalError(kGreetingRefused);
  greeting_ = reply.substr(0, reply.find(kCrLf));
  if (Security != platform::Security::StartTls) return;
  SendCommand("STLS\r\n");
  if (!ReadReply(reply)) return;
  // Whatever came after the "+OK" arrived unprotected; it goes with `reply`.
  if (replyError_)
    return RefuseConnection({kSecureFailed, replyText_, std::string("Сервер отказался включить TLS: "_cp1251) + replyText_});
  secure();
}

// Closes a connection that could not be made or secured, without OnError.
void TKelPOP::RefuseConnection(SessionFailure failure) {
  failure_ = std::move(failure);
  replyError_ = true;
  CloseConnection();
}

const std::string& TKelPOP::ConnectErrorText() const {
  static const std::string kNone;
  return failure_.code == kConnectFailed || failure_.code == kSecureFailed ? failure_.description : kNone;
}

std::uint32_t TKelPOP::CountNew() {
  lastRefused_ = false;
  std::string reply;
  SendCommand("STAT\r\n");
  if (!ReadReply(reply)) return 0;
  if (replyError_) {
    SignalError(kStatRefused);
    return 0;
  }
  const auto blank = replyText_.find(' ');
  msgCount_ = blank == std::string::npos ? 0 : ToCount(std::string_view(replyText_).substr(0, blank));

  // Most servers no longer answer LAST; a refusal only means the caller has to
  // tell new mail by unique ids.
  SendCommand("LAST\r\n");
  if (!ReadReply(reply)) return 0;
  if (replyError_) {
    lastRefused_ = true;
    return 0;
  }
  const std::uint32_t lastRead = ToCount(std::string_view(replyText_).substr(0, replyText_.find(' ')));
  return lastRead < msgCount_ ? msgCount_ - lastRead : 0;
}

std::string TKelPOP::RetrieveHeaders(std::uint32_t n) {
  if (!connected_) throw MailError(std::string("Нет соединения."_cp1251));
  std::string reply;
  SendCommand("TOP " + std::to_string(n) + " 0\r\n");
  if (!ReadReply(reply)) return {};
  if (replyError_) {
    SignalError(kTopRefused);
    return {};
  }
  const std::size_t statusEnd = reply.find(kCrLf);
  if (!ReadMultiLine(reply, statusEnd)) return {};
  const std::size_t end = reply.find(kTerminator, statusEnd) + kTerminator.size();
  return reply.substr(statusEnd + kCrLf.size(), end - statusEnd - kCrLf.size());
}

void TKelPOP::DeleteMsg(std::uint32_t n) {
  if (!connected_) throw MailError(std::string("Нет соединения."_cp1251));
  ProcessEvents();
  std::string reply;
  SendCommand("DELE " + std::to_string(n) + "\r\n");
  if (!ReadReply(reply)) return;
  if (replyError_) {
    SignalError(kDeleteRefused);
    return;
  }
  if (msgCount_ > 0) --msgCount_;
  if (OnDelete) OnDelete(*this, n);
}

void TKelPOP::Quit() {
  if (!connected_) return;
  std::string reply;
  SendCommand("QUIT\r\n");
  if (!ReadReply(reply)) return;
  if (replyError_) {
    SignalError(kQuitRefused);
    return;
  }
  CloseConnection();
}

// A connection the system has refused to read or write is of no further use;
// left open, every later pass would find the session still connected. So it
// is closed before the error goes on to the caller.
template <typename Operation>
auto TKelPOP::OnConnection(Operation operation) {
  try {
    return operation();
  } catch (const platform::SocketError& error) {
    failure_ = {kSocketFailed, {}, error.what()};
    replyError_ = true;
    CloseConnection();
    throw;
  }
}

// A command that went ahead as planned is not written again: its reply is
// simply read next. Any other command first settles what is still owed.
void TKelPOP::SendCommand(const std::string& command) {
  if (TakePlanned(command)) return;
  if (!sent_.empty() || !planned_.Empty()) {
    AbandonPlan();
    if (!connected_) return;  // reading the replies still owed ended the session
  }
  Write(command);
}

void TKelPOP::Write(std::string_view commands) {
  OnConnection([&] { connection_->Write(commands); });
}

bool TKelPOP::ReadReply(std::string& reply) {
  reply.clear();
  if (!connected_) return false;
  // A status line may arrive in pieces; it is whole once its CR LF is in.
  const auto deadline = Clock::now() + std::chrono::milliseconds(ReplyTimeoutMs);
  std::size_t searchFrom = 0;
  do {
    if (reply.size() > kMaxStatusLine) return Fail(kReplyTooLarge, "Слишком длинный ответ сервера"_cp1251);
    searchFrom = reply.empty() ? 0 : reply.size() - 1;
    if (!ReadOnce(reply, deadline)) return false;
  } while (reply.find(kCrLf, searchFrom) == std::string::npos);
  Classify(reply);
  KeepSurplus(reply, reply.find(kCrLf) + kCrLf.size());
  return true;
}

// Appends chunks until the "." line that ends a multi-line reply has arrived.
// The terminator is looked for from the status line's own CR LF, so that an
// empty block ("+OK" CR LF "." CR LF) ends at once, and each search starts a
// few bytes back, so a terminator split between chunks is found; only the
// bytes before those few are ever settled.
bool TKelPOP::ReadMultiLine(std::string& collected, std::size_t bodyStart,
                            const std::function<void(std::string_view)>& settle,
                            const std::function<void(std::size_t)>& afterChunk) {
  auto deadline = Clock::now() + std::chrono::milliseconds(ReplyTimeoutMs);
  std::size_t settled = 0;  // handed to `settle` and gone from `collected`
  std::size_t renewedAt = collected.size();
  std::size_t searchFrom = bodyStart;
  collected += surplus_;  // came with the status line, as if in its chunk
  surplus_.clear();
  std::size_t end;
  while ((end = collected.find(kTerminator, searchFrom)) == std::string::npos) {
    if (settled + collected.size() > MaxReplySize) return Fail(kReplyTooLarge, "Слишком длинный ответ сервера"_cp1251);
    ProcessEvents();
    searchFrom = std::max(bodyStart, collected.size() - std::min(collected.size(), kTerminator.size() - 1));
    if (settle && searchFrom > 0) {
      settle(std::string_view(collected).substr(0, searchFrom));
      collected.erase(0, searchFrom);
      settled += searchFrom;
      bodyStart = searchFrom = 0;
    }
    const std::size_t chunkStart = collected.size();
    if (!ReadOnce(collected, deadline)) return false;
    Classify(std::string_view(collected).substr(chunkStart));
    const std::size_t received = settled + collected.size();
    if (received - renewedAt >= kProgressBytes) {
      deadline = Clock::now() + std::chrono::milliseconds(ReplyTimeoutMs);
      renewedAt = received;
    }
    if (afterChunk) afterChunk(received);
  }
  KeepSurplus(collected, end + kTerminator.size());
  return true;
}

// Ends the session with a code of ours and the text that says why.
bool TKelPOP::Fail(PopError code, std::string_view why) {
  replyText_ = why;
  SignalError(code, why);
  return false;
}

// One read of up to kReadSize bytes; false when the session ended instead.
// The deadline is checked before every wait, so data that keeps trickling in
// cannot hold a reply open past it.
bool TKelPOP::ReadOnce(std::string& into, std::chrono::steady_clock::time_point deadline) {
  if (!surplus_.empty()) {
    into += surplus_;
    surplus_.clear();
    return true;
  }
  for (;;) {
    if (Clock::now() >= deadline) return Fail(kReplyTimedOut, "Сервер не ответил вовремя"_cp1251);
    if (OnConnection([&] { return connection_->WaitReadable(kPollSliceMs); })) break;
    ProcessEvents();
  }
  char buffer[kReadSize];
  const std::size_t got = OnConnection([&] { return connection_->Read(buffer, sizeof buffer); });
  if (got == 0) return Fail(kClosedByServer, "Сервер закрыл соединение"_cp1251);
  into.append(buffer, got);
  return true;
}

void TKelPOP::Classify(std::string_view reply) {
  replyError_ = Trim(reply.substr(0, 4)) == "-ERR";
  const std::size_t lineEnd = reply.find(kCrLf);
  replyText_ = lineEnd == std::string_view::npos || lineEnd <= 4 ? std::string()
                                                                  : std::string(Trim(reply.substr(4, lineEnd - 4)));
}

void TKelPOP::SignalError(PopError code, std::string_view description) {
  failure_ = {code, description.empty() ? replyText_ : std::string(), std::string(description)};
  replyError_ = true;
  CloseConnection();
  if (OnError) OnError(*this, code, failure_.Text());
}

void TKelPOP::CloseConnection() {
  connection_->Close();
  connected_ = false;
  pipelining_ = false;
  capabilitiesAsked_ = false;
  loginDelay_.reset();
  planned_.Clear();
  sent_.clear();
  surplus_.clear();
}

void TKelPOP::ProcessEvents() {
  if (eventPump_) eventPump_();
}

}  // namespace mail
