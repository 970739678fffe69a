// TKelPOP::SendAhead: RFC 2449 pipelining of a check pass's LIST, RETR and
// TOP commands. The commands go out ahead of their replies, which are then
// read in order by the same Retrieve and RetrieveHeaders calls as without it.
#include <algorithm>

#include "mail/capabilities.h"
#include "mail/pop3_session.h"
#include "mail/text_utils.h"

namespace mail {

namespace {

// At most this many commands are written ahead of their replies. A hundred
// commands are under 2 KiB, far below any socket buffer, so a write never
// waits for a server that is itself waiting for us to read; and a third as
// many messages in flight hide a round trip far longer than one message takes.
constexpr std::size_t kWindow = 100;
constexpr std::string_view kCrLf = "\r\n";

bool IsMultiLine(const std::string& command) { return command.starts_with("RETR ") || command.starts_with("TOP "); }

}  // namespace

void TKelPOP::SendAhead(CommandPlan plan) {
  if (!connected_ || plan.Empty()) return;
  LearnCapabilities();
  if (!pipelining_) return;
  planned_ = std::move(plan);
  WriteAhead();
}

// A refusal only means no pipelining and no known login delay, so it leaves
// the state the caller sees as it was.
void TKelPOP::LearnCapabilities() {
  if (capabilitiesAsked_ || !connected_) return;
  capabilitiesAsked_ = true;
  const std::optional<std::string> reply = ReadCapabilities();
  if (!reply) return;
  const Capabilities capabilities = ParseCapabilities(*reply);
  pipelining_ = capabilities.pipelining;
  loginDelay_ = capabilities.loginDelay;
}

std::optional<std::string> TKelPOP::ReadCapabilities() {
  const bool replyError = replyError_;
  std::string replyText = replyText_;
  std::string reply;
  SendCommand("CAPA\r\n");
  if (!ReadReply(reply)) return std::nullopt;
  std::optional<std::string> capabilities;
  if (!replyError_ && ReadMultiLine(reply, reply.find(kCrLf))) capabilities = std::move(reply);
  if (!connected_) return std::nullopt;
  replyError_ = replyError;
  replyText_ = std::move(replyText);
  return capabilities;
}

// True when `command` was planned: the replies to any planned commands before
// it are read and dropped (they only read the mailbox), and its own reply is
// the next one to arrive.
bool TKelPOP::TakePlanned(const std::string& command) {
  const auto sent = std::find(sent_.begin(), sent_.end(), command);
  if (sent != sent_.end()) {
    DiscardReplies(static_cast<std::size_t>(sent - sent_.begin()));
  } else {
    if (!planned_.SkipTo(command)) return false;
    DiscardReplies(sent_.size());
    WriteAhead();
  }
  if (!connected_) return true;  // dropping the replies ended the session; reading answers false
  sent_.pop_front();
  WriteAhead();
  return true;
}

// Tops the window up in one write once half of it has been answered, so the
// commands go out in a few packets rather than one each.
void TKelPOP::WriteAhead() {
  if (planned_.Empty() || sent_.size() > kWindow / 2 || !connected_) return;
  std::string batch;
  while (sent_.size() < kWindow && !planned_.Empty()) {
    sent_.push_back(planned_.TakeFront());
    batch += sent_.back();
  }
  Write(batch);
}

// Reads the replies to the first `count` commands sent ahead and drops them.
// A refusal among them is no error: without pipelining the command would not
// have been sent at all.
void TKelPOP::DiscardReplies(std::size_t count) {
  std::string reply;
  for (; count > 0 && connected_; --count) {
    const std::string command = std::move(sent_.front());
    sent_.pop_front();
    if (!ReadReply(reply)) return;
    if (!replyError_ && IsMultiLine(command) && !ReadMultiLine(reply, reply.find(kCrLf))) return;
  }
}

// A command off the plan ends it: what was not written is forgotten, and the
// replies already owed are read first, so the next reply is the command's own.
void TKelPOP::AbandonPlan() {
  planned_.Clear();
  DiscardReplies(sent_.size());
}

// Bytes after the end of the reply belong to replies of commands sent ahead;
// without any, the reply keeps them as it always has.
void TKelPOP::KeepSurplus(std::string& reply, std::size_t end) {
  if (sent_.empty() || end >= reply.size()) return;
  surplus_.insert(0, reply, end);
  reply.resize(end);
}

}  // namespace mail
