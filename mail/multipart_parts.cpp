#include "mail/multipart_parts.h"

namespace mail {

namespace {

// The delimiter itself, or followed only by blanks and tabs.
bool IsDelimiterLine(std::string_view line, std::string_view delimiter) {
  if (!line.starts_with(delimiter)) return false;
  line.remove_prefix(delimiter.size());
  return line.find_first_not_of(" \t") == std::string_view::npos;
}

}  // namespace

MultipartParts::MultipartParts(const std::string& boundary, const Lines& lines, std::size_t start, std::size_t last)
    : lines_(&lines), delimiter_("--" + boundary), closing_(delimiter_ + "--"), start_(start), last_(last) {}

std::optional<MultipartParts> MultipartParts::Open(const std::string& boundary, const Lines& lines, LineRange range) {
  // The first delimiter may stand anywhere in a line, as senders have always been read.
  const std::string delimiter = "--" + boundary;
  for (std::size_t index = range.first; index < range.last; ++index)
    if (lines[index].find(delimiter) != std::string_view::npos)
      return MultipartParts(boundary, lines, index + 1, range.last);
  return std::nullopt;
}

std::optional<LineRange> MultipartParts::Next() {
  if (ended_) return std::nullopt;
  const Lines& lines = *lines_;
  std::size_t end = start_;
  while (end < last_ && !IsDelimiterLine(lines[end], delimiter_) && !IsDelimiterLine(lines[end], closing_)) ++end;
  const LineRange part{start_, end};
  ended_ = end == last_ || !IsDelimiterLine(lines[end], delimiter_);
  start_ = end + 1;
  return part;
}

}  // namespace mail
