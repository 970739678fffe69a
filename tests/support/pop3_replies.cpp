#include "tests/support/pop3_replies.h"

namespace testsupport {

std::string DotStuffed(std::string_view text) {
  std::string stuffed;
  stuffed.reserve(text.size() + text.size() / 64 + 1);
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    const std::size_t next = end == std::string_view::npos ? text.size() : end + 2;
    if (text[start] == '.') stuffed += '.';
    stuffed.append(text, start, next - start);
    start = next;
  }
  return stuffed;
}

std::string MultiLineReply(std::string_view status, std::string_view text) {
  std::string reply(status);
  reply += "\r\n";
  reply += DotStuffed(text);
  reply += ".\r\n";
  return reply;
}

std::string RetrReply(std::string_view message) { return MultiLineReply("+OK message follows", message); }

}  // namespace testsupport
