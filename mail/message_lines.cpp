#include "mail/message_lines.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace mail {

namespace {

constexpr std::size_t kLinesBetweenPumps = 4096;

// memchr scans many bytes at a time; a byte-by-byte count costs more than the cutting.
std::size_t CountLineFeeds(std::string_view text) {
  std::size_t count = 0;
  const char* const end = text.data() + text.size();
  for (const char* at = text.data(); at < end; ++count) {
    at = static_cast<const char*>(std::memchr(at, '\n', static_cast<std::size_t>(end - at)));
    if (at == nullptr) break;
    ++at;
  }
  return count;
}

}  // namespace

Lines CutLines(std::string_view text, const platform::EventPump& pump) {
  Lines lines;
  // Sized once: a lone CR is rare enough to cost at most a regrowth.
  lines.reserve(CountLineFeeds(text) + 1);
  const char* at = text.data();
  const char* const end = at + text.size();
  const char* newline = nullptr;  // the next LF at or after `at`, kept so no byte is scanned twice for it
  while (at < end) {
    if (newline < at) {
      newline = static_cast<const char*>(std::memchr(at, '\n', static_cast<std::size_t>(end - at)));
      if (newline == nullptr) newline = end;
    }
    const auto* cr = static_cast<const char*>(std::memchr(at, '\r', static_cast<std::size_t>(newline - at)));
    const char* stop = cr != nullptr ? cr : newline;
    lines.emplace_back(at, stop);
    if (pump && lines.size() % kLinesBetweenPumps == 0) pump();
    if (stop == end) break;
    at = stop + (cr != nullptr && cr + 1 == newline ? 2 : 1);
  }
  return lines;
}

std::string JoinLines(const Lines& lines) {
  std::size_t size = 0;
  for (const std::string& line : lines) size += line.size() + 2;
  std::string joined;
  joined.reserve(size);
  for (const std::string& line : lines) (joined += line) += "\r\n";
  return joined;
}

SplitMessage SplitRetrLines(Lines lines) {
  // The first line is the "+OK" status line, the last the terminating ".".
  if (lines.size() > 1) lines.pop_back();
  const std::size_t first = lines.empty() ? 0 : 1;

  SplitMessage split;
  const auto empty = std::find_if(lines.begin() + first, lines.end(), [](const std::string& l) { return l.empty(); });
  const auto bodyStart = empty == lines.end() ? lines.begin() + first : empty + 1;
  split.headers.assign(std::make_move_iterator(lines.begin() + first), std::make_move_iterator(bodyStart));
  lines.erase(lines.begin(), bodyStart);
  split.body = std::move(lines);
  // RFC 1939 byte-stuffing: a leading "." was doubled by the server.
  for (std::string& line : split.body)
    if (line.size() > 1 && line[0] == '.') line.erase(0, 1);
  return split;
}

SplitMessage SplitRetrReply(std::string_view reply, const platform::EventPump& pump) {
  return SplitRetrLines(CutLines(reply, pump));
}

}  // namespace mail
