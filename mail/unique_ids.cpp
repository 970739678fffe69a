// TKelPOP::UniqueIds: UIDL, the one way to tell new mail on servers that do
// not answer LAST.
#include <algorithm>

#include "mail/mail_error.h"
#include "mail/pop3_session.h"
#include "mail/text_utils.h"
#include "platform/cp1251.h"

using text::operator""_cp1251;

namespace mail {

namespace {

constexpr std::size_t kMaxUidLength = 70;  // RFC 1939: 1 to 70 characters from 0x21 to 0x7E

bool IsUid(std::string_view uid) {
  return !uid.empty() && uid.size() <= kMaxUidLength &&
         std::all_of(uid.begin(), uid.end(), [](char c) { return c >= 0x21 && c <= 0x7E; });
}

// One "n uid" line; nothing for a line of any other shape, which is skipped
// rather than allowed to end the session.
std::optional<std::pair<std::uint32_t, std::string>> ParseUidLine(std::string_view line) {
  line = Trim(line);
  const std::size_t blank = line.find(' ');
  if (blank == std::string_view::npos) return std::nullopt;
  const std::string_view number = line.substr(0, blank);
  const std::string_view uid = Trim(line.substr(blank + 1));
  if (number.empty() || !std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return std::nullopt;
  const std::int64_t value = ToIntDef(number, 0);
  if (value < 1 || value > UINT32_MAX || !IsUid(uid)) return std::nullopt;
  return std::pair(static_cast<std::uint32_t>(value), std::string(uid));
}

}  // namespace

std::vector<std::pair<std::uint32_t, std::string>> TKelPOP::UniqueIds(std::uint32_t upTo) {
  if (!connected_) throw MailError(std::string("Нет соединения."_cp1251));
  std::string reply;
  SendCommand("UIDL\r\n");
  if (!ReadReply(reply) || replyError_) return {};
  const std::size_t statusEnd = reply.find("\r\n");
  if (!ReadMultiLine(reply, statusEnd)) return {};
  std::vector<std::pair<std::uint32_t, std::string>> ids;
  const std::size_t end = reply.find("\r\n.\r\n", statusEnd);
  for (std::size_t start = statusEnd + 2; start < end + 2;) {
    const std::size_t lineEnd = reply.find("\r\n", start);
    auto id = ParseUidLine(std::string_view(reply).substr(start, lineEnd - start));
    if (id && id->first <= upTo) ids.push_back(std::move(*id));
    start = lineEnd + 2;
  }
  return ids;
}

}  // namespace mail
