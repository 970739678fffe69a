// TKelPOP: one POP3 client session (RFC 1939) at a time over a blocking TCP
// connection, on the caller's thread.
//
// Calling order of a check pass:
//   Connect           reads the greeting; test Connected afterwards
//   Login             USER and PASS, or the LoginMethod -> true when accepted
//   CountNew          STAT, LAST                        -> MsgCount; new = MsgCount - LAST
//   Retrieve(n)       LIST n, RETR n                    -> the parsed message, owned by the caller
//   RetrieveHeaders(n) TOP n 0                          -> the header block, the message's identity
//   DeleteMsg(n)      DELE n                            -> MsgCount lowered, OnDelete
//   Quit              QUIT                              -> connection closed, OnQuit
//
// A refused command ("-ERR"), a reply that does not come within ReplyTimeoutMs,
// a reply longer than its limit and a connection the server closed all end the
// session through SignalError:
// the connection closes, OnQuit and then OnError fire, and the operation returns
// its failure value (false, 0, an empty text). Misuse raises MailError; a read
// or write the system rejects raises platform::SocketError after closing the
// connection. Whatever failed, Failure() then says what and why, with the
// server's text apart from ours, until the next Connect. While it waits the
// session calls the event pump, so the caller's user interface stays live.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "mail/attached_files.h"
#include "mail/command_plan.h"
#include "mail/lines.h"
#include "mail/login_method.h"
#include "mail/message.h"
#include "mail/message_lines.h"
#include "mail/parse_context.h"
#include "mail/session_failure.h"
#include "platform/event_pump.h"
#include "platform/mime_database.h"
#include "platform/tcp_client.h"

namespace mail {

class TKelPOP;
struct ParsedMessage;

using TConnectionEvent = std::function<void(platform::TcpClient& sender)>;
using TOnError = std::function<void(TKelPOP& sender, int error, const std::string& msg)>;
using TOnDeleteEvent = std::function<void(TKelPOP& sender, std::uint32_t id)>;
using TOnCodeStartEvent = std::function<void(TKelPOP& sender, const std::string& fileName, std::int32_t bytesCount)>;
using TOnCodeProgressEvent = std::function<void(TKelPOP& sender, std::uint16_t percent)>;
using TOnBeforeRetrieve = std::function<void(TKelPOP& sender, std::uint32_t id)>;
using TNotifyEvent = std::function<void(TKelPOP& sender)>;

// Decides whether Host is handed to the connection as an address: four dot-separated
// decimal pieces, each from 1 to 254 (0 and 255 are refused, as are fewer than three dots).
bool IsIPAddress(const std::string& text);

// The session is the parse context of the messages it retrieves: the parser
// reads its settings and its reports become the session's events.
class TKelPOP : private ParseContext {
 public:
  // Without a MIME database attached files get only the default content type.
  TKelPOP(std::unique_ptr<platform::TcpClient> connection, platform::EventPump eventPump,
          const platform::MimeDatabase* mimeDatabase = nullptr);
  TKelPOP(const TKelPOP&) = delete;
  TKelPOP& operator=(const TKelPOP&) = delete;
  ~TKelPOP() override;

  // Published properties.
  std::string Host;
  std::string Port = "110";  // decimal text; anything else means 110
  platform::Security Security = platform::Security::None;
  std::string CertSha256;  // a pinned certificate (64 hex digits); empty: the system's trust
  std::string UserId;
  std::string Passwd;  // the password, or for OAuth 2.0 the access token
  LoginMethod Method = LoginMethod::kUserPass;
  // When set, the first line this shell command prints is the password (or
  // token), fetched again for every login in place of Passwd.
  std::string PasswordCommand;
  std::chrono::milliseconds PasswordCommandLimit{30000};
  std::string ErrorInFormatOfMsg;  // "Ошибочный формат сообщения!"
  std::uint16_t DecodeProgressStep = 10;
  std::uint16_t RetrieveProgressStep = 10;
  int ReplyTimeoutMs = 60000;  // longest wait for one reply before the session gives up
  // The longest multi-line reply (a whole message) taken; a longer one ends the session.
  std::size_t MaxReplySize = 256 * 1024 * 1024;
  // When set, a message whose body cannot be parsed is still returned, with
  // its header fields, its raw body lines as Text and no attached files, and
  // the error's text in LastParseError; one bad message then hides no other.
  bool KeepUnparsableMessages = false;
  // Why the last message could not be parsed; empty after one that parsed.
  std::string LastParseError() const;
  // The whole reply of the last Retrieve, status line to terminator, given
  // once; kept only while KeepUnparsableMessages is set, empty otherwise.
  std::string TakeLastReply();

  // Events; an empty one is not called.
  TConnectionEvent OnConnect;
  TConnectionEvent OnQuit;
  TOnError OnError;
  TOnCodeStartEvent OnDecodeStart;
  TOnCodeProgressEvent OnDecodeProgress;
  TNotifyEvent OnDecodeEnd;
  TOnBeforeRetrieve OnBeforeRetrieve;
  TNotifyEvent OnAfterRetrieve;
  TOnCodeProgressEvent OnRetrieveProgress;
  TOnDeleteEvent OnDelete;

  // Session state.
  bool Connected() const { return connected_; }
  std::uint32_t MsgCount() const { return msgCount_; }
  bool ReplyError() const { return replyError_; }
  const std::string& ReplyText() const { return replyText_; }
  std::int32_t MsgSize() const { return msgSize_; }
  // The last failed step since Connect; no failure while every step succeeded.
  const SessionFailure& Failure() const { return failure_; }
  // Why the last Connect failed (Windows-1251), empty after a good one; for a
  // TLS failure also the server certificate's fingerprint and whether pinning
  // it would let the connection through.
  const std::string& ConnectErrorText() const;
  const std::string& PeerCertSha256() const { return failure_.peerCertSha256; }
  bool CertificateUntrusted() const { return failure_.certificateUntrusted; }
  platform::CertificateProblem CertificateProblem() const { return failure_.certificateProblem; }
  // True when the last CountNew found LAST refused: new mail is then only
  // known by unique ids.
  bool LastRefused() const { return lastRefused_; }

  void Connect();
  bool Login();
  std::uint32_t CountNew();
  // The parsed message n; nothing when RETR was refused. Raises MailError when
  // the message cannot be parsed.
  std::unique_ptr<TKelMsg> Retrieve(std::uint32_t n);
  // The parsing half of Retrieve: a whole RETR reply, status line to terminator.
  std::unique_ptr<TKelMsg> ParseMessage(std::string reply);
  std::string RetrieveHeaders(std::uint32_t n);
  // UIDL: every message's number and unique id. Nothing when the server
  // refuses the command (the session stays open) or the session ends. Lines
  // for numbers above `upTo` are skipped as they are read, so a server that
  // lists more messages than it counted costs nothing for them.
  std::vector<std::pair<std::uint32_t, std::string>> UniqueIds(std::uint32_t upTo = UINT32_MAX);
  // Announces the messages the caller is about to fetch, in order: for each,
  // Retrieve(n) then RetrieveHeaders(n). When the server lists PIPELINING in
  // its CAPA reply (asked once per session), their LIST, RETR and TOP commands
  // are sent ahead within a window and the later calls only read the replies;
  // otherwise nothing changes. Commands, results and events stay the same.
  // A later call replaces what is planned and not yet written.
  void SendAhead(CommandPlan plan);
  bool Pipelining() const { return pipelining_; }
  // Asks CAPA, once per connection, after the login as RFC 2449 wants it:
  // SendAhead does when it has to know; a pass does before its downloads.
  void LearnCapabilities();
  // The least time between two logins that CAPA's LOGIN-DELAY asked for
  // (zero: none); nothing while CAPA has not answered on this connection.
  std::optional<std::chrono::seconds> LoginDelay() const { return loginDelay_; }
  void DeleteMsg(std::uint32_t n);
  void Quit();

  // File decoders (mail/file_decoders.h) with this session's settings and
  // events. DecodeUUFile raises MailError(ErrorInFormatOfMsg) on a bad character.
  void DecodeBase64File(TAttachedFile& item);
  void DecodeQPFile(TAttachedFile& item);
  void DecodeUUFile(TAttachedFile& item);
  // The first uuencode "begin" line: its index and the file name it gives.
  bool FindUUBegin(const Lines& lines, std::size_t& index, std::string& name);
  // The last percentage any file decode computed; carried from one decode to the next.
  std::uint16_t DecodePercent() const { return decodePercent; }

  const platform::EventPump& EventPump() const override { return eventPump_; }
  const platform::MimeDatabase& MimeDatabase() const override { return mimeDatabase_; }

 protected:
  void SendCommand(const std::string& command);
  // Reads a status reply: chunks until its first line is complete. False when the
  // session ended instead (time-out or closed connection, already signalled).
  bool ReadReply(std::string& reply);
  // Collects a multi-line reply, each chunk classified like a status reply.
  // With `settle`, the bytes that can no longer be part of the terminator go
  // to it after each chunk and leave `collected`, so a long reply is never
  // held in one piece; `afterChunk` hears how many bytes have arrived in all.
  bool ReadMultiLine(std::string& collected, std::size_t bodyStart,
                     const std::function<void(std::string_view)>& settle = {},
                     const std::function<void(std::size_t)>& afterChunk = {});
  // Ends the session with `code`; `description` is ours, for a failure the server did not state itself.
  void SignalError(PopError code, std::string_view description = {});
  void ProcessEvents();

 private:
  bool ReadOnce(std::string& into, std::chrono::steady_clock::time_point deadline);
  bool Fail(PopError code, std::string_view why);
  void RefuseConnection(SessionFailure failure);
  void Classify(std::string_view reply);
  void CloseConnection();
  template <typename Operation>
  auto OnConnection(Operation operation);
  std::optional<Lines> Download(std::uint32_t n, std::string& text);
  std::unique_ptr<TKelMsg> Parse(Lines lines, const std::string& text);
  std::unique_ptr<TKelMsg> RecordingParseFailure(const std::function<ParsedMessage()>& parse);
  const std::string& FormatError() const override { return ErrorInFormatOfMsg; }
  std::uint16_t ProgressStep() const override { return DecodeProgressStep; }
  void DecodeStarted(const std::string& fileName, std::int32_t lineCount) override;
  void DecodeProgressed(std::uint16_t percent) override;
  void DecodeEnded() override;
  void BodyFinished(const std::string& parseError) override;
  void ReportRetrieveProgress(std::size_t received, std::uint16_t& threshold);
  void Write(std::string_view commands);
  // The CAPA reply, status line included; nothing when it was refused or the
  // session ended. A refusal leaves the state the caller sees as it was.
  std::optional<std::string> ReadCapabilities();
  // The password or token: Passwd, or what PasswordCommand prints; nothing
  // (the session ended with the reason) when the command gives none.
  std::optional<std::string> Secret();
  bool LogInWithUserPass(const std::string& secret);
  bool LogInWithApop(const std::string& secret);
  bool LogInWithSasl(const std::string& mechanism, const std::string& secret);
  bool SendSaslResponse(const std::string& mechanism, const std::string& response);
  bool TakePlanned(const std::string& command);
  void WriteAhead();
  void DiscardReplies(std::size_t count);
  void AbandonPlan();
  void KeepSurplus(std::string& reply, std::size_t end);

  std::unique_ptr<platform::TcpClient> connection_;
  platform::EventPump eventPump_;
  const platform::MimeDatabase& mimeDatabase_;
  bool connected_ = false;
  std::uint32_t msgCount_ = 0;
  bool replyError_ = false;
  std::string replyText_;
  std::string greeting_;  // the greeting's first line, for APOP
  std::int32_t msgSize_ = 0;
  std::uint16_t retrievePercent_ = 0;
  SessionFailure failure_;
  bool lastRefused_ = false;
  bool pipelining_ = false;
  bool capabilitiesAsked_ = false;
  std::optional<std::chrono::seconds> loginDelay_;
  CommandPlan planned_;              // commands to send ahead, not yet written
  std::deque<std::string> sent_;     // written ahead, replies not yet read
  std::string surplus_;              // received beyond the reply being read
  std::string lastReply_;            // the last RETR reply, when unparsable messages are kept
};

}  // namespace mail
