#include "mail/message_lines.h"

#include <iterator>

namespace mail {

Lines CutLines(std::string_view text) {
  Lines lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      lines.emplace_back(text.substr(start));
      break;
    }
    lines.emplace_back(text.substr(start, end - start));
    start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
  return lines;
}

SplitMessage SplitRetrReply(std::string_view reply) {
  Lines lines = CutLines(reply);
  // The first line is the "+OK" status line, the last the terminating ".".
  const auto first = lines.size() > 0 ? lines.begin() + 1 : lines.end();
  const auto last = lines.size() > 1 ? lines.end() - 1 : first;

  SplitMessage split;
  auto bodyStart = first;
  for (auto it = first; it != last; ++it) {
    if (it->empty()) {
      split.headers.assign(std::make_move_iterator(first), std::make_move_iterator(it + 1));
      bodyStart = it + 1;
      break;
    }
  }
  split.body.assign(std::make_move_iterator(bodyStart), std::make_move_iterator(last));
  // RFC 1939 byte-stuffing: a leading "." was doubled by the server.
  for (std::string& line : split.body)
    if (line.size() > 1 && line[0] == '.') line.erase(0, 1);
  return split;
}

}  // namespace mail
