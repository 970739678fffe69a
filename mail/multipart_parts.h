// The parts of a multipart body, found one at a time as a walk reaches them,
// each as a range of the body's lines.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "mail/lines.h"

namespace mail {

// Lines [first, last) of a body.
struct LineRange {
  std::size_t first;
  std::size_t last;
};

inline LinesView ViewOf(const Lines& lines, LineRange range) { return {lines, range.first, range.last - range.first}; }

class MultipartParts {
 public:
  // Nothing when no line of `range` holds the delimiter "--" + boundary.
  static std::optional<MultipartParts> Open(const std::string& boundary, const Lines& lines, LineRange range);

  // The next part: its lines after its delimiter line up to the next
  // delimiter line, the closing one or the range's end; nothing after the
  // last. Each search goes on where the one before ended.
  std::optional<LineRange> Next();

 private:
  MultipartParts(const std::string& boundary, const Lines& lines, std::size_t start, std::size_t last);

  const Lines* lines_;
  std::string delimiter_;
  std::string closing_;
  std::size_t start_;  // the first line of the next part
  std::size_t last_;
  bool ended_ = false;
};

}  // namespace mail
