// A text held as its lines, without their line breaks: all the lines' bytes
// in one buffer and a table of where each line starts. A line costs its bytes
// and four more, however short it is; lines are read as string_views.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace mail {

class Lines {
 public:
  class const_iterator {
   public:
    using iterator_category = std::random_access_iterator_tag;
    using value_type = std::string_view;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = std::string_view;

    const_iterator() = default;
    const_iterator(const Lines* lines, std::size_t index) : lines_(lines), index_(index) {}

    std::string_view operator*() const { return (*lines_)[index_]; }
    std::string_view operator[](difference_type n) const { return *(*this + n); }
    const_iterator& operator++() { return *this += 1; }
    const_iterator operator++(int) { return std::exchange(*this, *this + 1); }
    const_iterator& operator--() { return *this -= 1; }
    const_iterator operator--(int) { return std::exchange(*this, *this - 1); }
    const_iterator& operator+=(difference_type n) {
      index_ = static_cast<std::size_t>(static_cast<difference_type>(index_) + n);
      return *this;
    }
    const_iterator& operator-=(difference_type n) { return *this += -n; }
    friend const_iterator operator+(const_iterator it, difference_type n) { return it += n; }
    friend const_iterator operator+(difference_type n, const_iterator it) { return it += n; }
    friend const_iterator operator-(const_iterator it, difference_type n) { return it -= n; }
    friend difference_type operator-(const const_iterator& a, const const_iterator& b) {
      return static_cast<difference_type>(a.index_) - static_cast<difference_type>(b.index_);
    }
    friend bool operator==(const const_iterator& a, const const_iterator& b) { return a.index_ == b.index_; }
    friend auto operator<=>(const const_iterator& a, const const_iterator& b) { return a.index_ <=> b.index_; }

    std::size_t Index() const { return index_; }

   private:
    const Lines* lines_ = nullptr;
    std::size_t index_ = 0;
  };
  using iterator = const_iterator;
  using value_type = std::string_view;
  using size_type = std::size_t;

  Lines() = default;
  Lines(std::initializer_list<std::string_view> lines);
  Lines(std::size_t count, std::string_view line);
  Lines(const Lines&) = default;
  Lines(Lines&&) noexcept = default;
  Lines& operator=(const Lines&) = default;
  // Gives back this buffer even when `other`'s is too short to be moved.
  Lines& operator=(Lines&& other) noexcept;

  std::size_t size() const { return starts_.size(); }
  bool empty() const { return starts_.empty(); }
  std::string_view operator[](std::size_t index) const {
    const std::size_t end = index + 1 < starts_.size() ? starts_[index + 1] : bytes_.size();
    return std::string_view(bytes_).substr(starts_[index], end - starts_[index]);
  }
  std::string_view front() const { return (*this)[0]; }
  std::string_view back() const { return (*this)[size() - 1]; }
  const_iterator begin() const { return {this, 0}; }
  const_iterator end() const { return {this, size()}; }

  // The bytes of all lines together, line breaks left out.
  std::size_t ByteSize() const { return bytes_.size(); }
  // The bytes of the lines before line `index` (all of them for size()).
  std::size_t BytesBefore(std::size_t index) const { return index < size() ? starts_[index] : bytes_.size(); }
  // Those bytes, to change in place without changing their count.
  std::span<char> MutableBytes() { return bytes_; }

  void reserve(std::size_t lineCount, std::size_t byteCount);
  // Raises std::length_error once the lines would hold 4 GiB.
  void push_back(std::string_view line);
  void Append(const Lines& lines);
  void pop_back();
  void clear();

  // Keeps lines [first, last) and lets the rest go.
  void Keep(std::size_t first, std::size_t last);
  // A copy of lines [first, last).
  Lines Slice(std::size_t first, std::size_t last) const;

  // Each line replaced by what `keep(index, line)` answers, a view into that
  // line, or dropped when it answers nothing. One walk: every byte that stays
  // moves once, whatever is dropped.
  template <class KeepLine>
  void Compact(const KeepLine& keep);

  friend bool operator==(const Lines& a, const Lines& b) { return a.starts_ == b.starts_ && a.bytes_ == b.bytes_; }

 private:
  std::string bytes_;
  std::vector<std::uint32_t> starts_;
};

// A run of lines of a Lines, read in place; the Lines must outlive it.
class LinesView {
 public:
  LinesView(const Lines& lines) : lines_(&lines), count_(lines.size()) {}  // NOLINT: any Lines reads as its view
  LinesView(const Lines& lines, std::size_t first, std::size_t count) : lines_(&lines), first_(first), count_(count) {}

  std::size_t size() const { return count_; }
  bool empty() const { return count_ == 0; }
  std::string_view operator[](std::size_t index) const { return (*lines_)[first_ + index]; }
  std::size_t ByteSize() const { return lines_->BytesBefore(first_ + count_) - lines_->BytesBefore(first_); }
  // Its lines [first, last).
  LinesView Sub(std::size_t first, std::size_t last) const { return {*lines_, first_ + first, last - first}; }

 private:
  const Lines* lines_;
  std::size_t first_ = 0;
  std::size_t count_;
};

template <class KeepLine>
void Lines::Compact(const KeepLine& keep) {
  std::size_t kept = 0;
  std::size_t written = 0;
  for (std::size_t index = 0; index < starts_.size(); ++index) {
    const std::optional<std::string_view> line = keep(index, (*this)[index]);
    if (!line) continue;
    // The view lies at or after `written`, so moving it down overwrites nothing still to be read.
    std::memmove(bytes_.data() + written, line->data(), line->size());
    starts_[kept++] = static_cast<std::uint32_t>(written);
    written += line->size();
  }
  starts_.resize(kept);
  bytes_.resize(written);
}

}  // namespace mail
