#include "mail/message_lines.h"

#include <algorithm>
#include <cstring>
#include <optional>

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

// RFC 1939 byte-stuffing: a leading "." was doubled by the server.
std::string_view Unstuffed(std::string_view line) {
  if (line.size() > 1 && line[0] == '.') line.remove_prefix(1);
  return line;
}

}  // namespace

Lines CutLines(std::string_view text, const platform::EventPump& pump) {
  Lines lines;
  // Sized once: a lone CR is rare enough to cost at most a regrowth.
  lines.reserve(CountLineFeeds(text) + 1, text.size());
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
    lines.push_back(std::string_view(at, static_cast<std::size_t>(stop - at)));
    if (pump && lines.size() % kLinesBetweenPumps == 0) pump();
    if (stop == end) break;
    at = stop + (cr != nullptr && cr + 1 == newline ? 2 : 1);
  }
  return lines;
}

std::string JoinLines(LinesView lines) {
  std::string joined;
  joined.reserve(lines.ByteSize() + 2 * lines.size());
  for (std::size_t index = 0; index < lines.size(); ++index) (joined += lines[index]) += "\r\n";
  return joined;
}

SplitMessage SplitRetrLines(Lines lines) {
  // The first line is the "+OK" status line, the last the terminating ".".
  if (lines.size() > 1) lines.pop_back();
  const std::size_t first = lines.empty() ? 0 : 1;
  const auto empty = std::find_if(lines.begin() + first, lines.end(), [](std::string_view l) { return l.empty(); });
  const std::size_t bodyStart = empty == lines.end() ? first : empty.Index() + 1;

  // The smaller side is copied out, the larger keeps the lines' own buffer;
  // the body is unstuffed on its way out or in the one walk that keeps it.
  const std::size_t headerBytes = lines.BytesBefore(bodyStart);
  SplitMessage split;
  if (headerBytes > lines.ByteSize() - headerBytes) {
    split.body.reserve(lines.size() - bodyStart, lines.ByteSize() - headerBytes);
    for (std::size_t index = bodyStart; index < lines.size(); ++index) split.body.push_back(Unstuffed(lines[index]));
    lines.Keep(first, bodyStart);
    split.headers = std::move(lines);
  } else {
    split.headers = lines.Slice(first, bodyStart);
    lines.Compact([bodyStart](std::size_t index, std::string_view line) {
      return index < bodyStart ? std::nullopt : std::optional(Unstuffed(line));
    });
    split.body = std::move(lines);
  }
  return split;
}

SplitMessage SplitRetrReply(std::string_view reply, const platform::EventPump& pump) {
  return SplitRetrLines(CutLines(reply, pump));
}

}  // namespace mail
