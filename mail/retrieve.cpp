// TKelPOP::Retrieve: LIST for the size, RETR, the download with its progress
// events, then the message parsed from the received lines.
#include <cmath>
#include <utility>

#include "mail/mail_error.h"
#include "mail/message_lines.h"
#include "mail/pop3_session.h"
#include "mail/text_utils.h"
#include "platform/cp1251.h"

using text::operator""_cp1251;

namespace mail {

namespace {

constexpr std::int32_t kUnknownSize = 100;

// The size from a LIST reply ("1 2345"); 100 when it gives none.
std::int32_t SizeFromList(const std::string& replyText) {
  if (replyText.empty()) return kUnknownSize;
  const auto blank = replyText.find(' ');
  const std::string_view size = blank == std::string::npos ? replyText : std::string_view(replyText).substr(blank + 1);
  const std::int64_t value = ToIntDef(size, kUnknownSize);
  return value < INT32_MIN || value > INT32_MAX ? kUnknownSize : static_cast<std::int32_t>(value);
}

// Percentage of `size` received, rounded half to even. A size the server gave
// as zero or less cannot be divided by, so the download then counts as complete.
std::uint16_t Percentage(std::size_t received, std::int32_t size) {
  if (size <= 0) return 100;
  const double percent = std::nearbyint(static_cast<double>(received) * 100.0 / size);
  return percent > UINT16_MAX ? UINT16_MAX : static_cast<std::uint16_t>(percent);
}

}  // namespace

std::unique_ptr<TKelMsg> TKelPOP::Retrieve(std::uint32_t n) {
  if (!connected_) throw MailError(std::string("Нет соединения."_cp1251));
  if (OnBeforeRetrieve) OnBeforeRetrieve(*this, n);
  std::string text;
  std::optional<Lines> lines = Download(n, text);
  if (!lines) return nullptr;
  std::unique_ptr<TKelMsg> message = Parse(std::move(*lines), text);
  lastReply_ = std::move(text);
  return message;
}

std::string TKelPOP::TakeLastReply() { return std::exchange(lastReply_, std::string()); }

// The lines of everything received after RETR, status line included; nothing
// when the command was refused or the session ended during the download. The
// text is cut once it is all in, so the array of lines is sized once for the
// lines it holds, never grown by doubling. The text itself stays in `text`
// only when a message that cannot be parsed is kept, for its second, plain
// build.
std::optional<Lines> TKelPOP::Download(std::uint32_t n, std::string& text) {
  std::string reply;
  SendCommand("LIST " + std::to_string(n) + "\r\n");
  if (!ReadReply(reply)) return std::nullopt;
  msgSize_ = SizeFromList(replyText_);

  SendCommand("RETR " + std::to_string(n) + "\r\n");
  if (!ReadReply(reply)) return std::nullopt;
  if (replyError_) {
    SignalError(kRetrieveRefused);
    return std::nullopt;
  }
  retrievePercent_ = 0;
  std::uint16_t threshold = RetrieveProgressStep;
  const auto settle = [&](std::string_view bytes) { text += bytes; };
  const auto progress = [&](std::size_t received) { ReportRetrieveProgress(received, threshold); };
  if (!ReadMultiLine(reply, reply.find("\r\n"), settle, progress)) return std::nullopt;
  settle(reply);
  if (retrievePercent_ < 100 && OnRetrieveProgress) OnRetrieveProgress(*this, 100);
  Lines lines = CutLines(text, eventPump_);
  if (!KeepUnparsableMessages) std::string().swap(text);
  return lines;
}

void TKelPOP::ReportRetrieveProgress(std::size_t received, std::uint16_t& threshold) {
  retrievePercent_ = Percentage(received, msgSize_);
  if (retrievePercent_ < threshold) return;
  if (OnRetrieveProgress) OnRetrieveProgress(*this, retrievePercent_);
  threshold = static_cast<std::uint16_t>(threshold + RetrieveProgressStep);
}

}  // namespace mail
