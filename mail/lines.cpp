#include "mail/lines.h"

#include <limits>
#include <stdexcept>

namespace mail {

Lines::Lines(std::initializer_list<std::string_view> lines) {
  for (const std::string_view line : lines) push_back(line);
}

Lines::Lines(std::size_t count, std::string_view line) {
  reserve(count, count * line.size());
  for (std::size_t i = 0; i < count; ++i) push_back(line);
}

Lines& Lines::operator=(Lines&& other) noexcept {
  if (this == &other) return *this;
  // A string moved from one that keeps its text inline copies it and keeps
  // its own buffer; a string of its own takes this buffer away with it.
  std::string taken(std::move(other.bytes_));
  bytes_.swap(taken);
  starts_ = std::move(other.starts_);
  other.clear();
  return *this;
}

void Lines::reserve(std::size_t lineCount, std::size_t byteCount) {
  starts_.reserve(lineCount);
  bytes_.reserve(byteCount);
}

void Lines::push_back(std::string_view line) {
  if (bytes_.size() + line.size() > std::numeric_limits<std::uint32_t>::max())
    throw std::length_error("lines beyond 4 GiB");
  starts_.push_back(static_cast<std::uint32_t>(bytes_.size()));
  bytes_ += line;
}

void Lines::Append(const Lines& lines) {
  if (empty()) reserve(lines.size(), lines.ByteSize());
  for (const std::string_view line : lines) push_back(line);
}

void Lines::pop_back() {
  bytes_.resize(starts_.back());
  starts_.pop_back();
}

void Lines::clear() {
  bytes_.clear();
  starts_.clear();
}

void Lines::Keep(std::size_t first, std::size_t last) {
  Compact([first, last](std::size_t index, std::string_view line) {
    return index >= first && index < last ? std::optional(line) : std::nullopt;
  });
}

Lines Lines::Slice(std::size_t first, std::size_t last) const {
  Lines slice;
  slice.reserve(last - first, BytesBefore(last) - BytesBefore(first));
  for (std::size_t index = first; index < last; ++index) slice.push_back((*this)[index]);
  return slice;
}

}  // namespace mail
