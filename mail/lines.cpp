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

namespace {

void CheckRoomFor(std::size_t bytes) {
  if (bytes > std::numeric_limits<std::uint32_t>::max()) throw std::length_error("lines beyond 4 GiB");
}

}  // namespace

void Lines::push_back(std::string_view line) {
  CheckRoomFor(bytes_.size() + line.size());
  starts_.push_back(static_cast<std::uint32_t>(bytes_.size()));
  bytes_ += line;
}

void Lines::Append(const Lines& lines) {
  CheckRoomFor(bytes_.size() + lines.bytes_.size());
  if (empty()) reserve(lines.size(), lines.ByteSize());
  const auto offset = static_cast<std::uint32_t>(bytes_.size());
  for (const std::uint32_t start : lines.starts_) starts_.push_back(offset + start);
  bytes_ += lines.bytes_;
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
  const std::size_t from = BytesBefore(first);
  bytes_.erase(BytesBefore(last));
  bytes_.erase(0, from);
  starts_.erase(starts_.begin() + static_cast<std::ptrdiff_t>(last), starts_.end());
  starts_.erase(starts_.begin(), starts_.begin() + static_cast<std::ptrdiff_t>(first));
  for (std::uint32_t& start : starts_) start -= static_cast<std::uint32_t>(from);
}

Lines Lines::Slice(std::size_t first, std::size_t last) const {
  const std::size_t from = BytesBefore(first);
  Lines slice;
  slice.bytes_.assign(bytes_, from, BytesBefore(last) - from);
  slice.starts_.reserve(last - first);
  for (std::size_t index = first; index < last; ++index)
    slice.starts_.push_back(starts_[index] - static_cast<std::uint32_t>(from));
  return slice;
}

}  // namespace mail
