// Turning a received RETR reply into header and body lines.
#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "mail/lines.h"
#include "platform/event_pump.h"

namespace mail {

// Cuts text that arrives in pieces into lines at CR LF, at a lone CR and at a
// lone LF, wherever the pieces happen to divide it; a final line break yields
// no empty line after it. A large text takes a while: `pump` is called every
// few thousand lines.
class LineCutter {
 public:
  explicit LineCutter(platform::EventPump pump = {}) : pump_(std::move(pump)) {}

  void Reserve(std::size_t lineCount) { lines_.reserve(lineCount); }
  void Feed(std::string_view text);
  // The lines, the last one included even without a break after it.
  Lines Finish();

 private:
  void Add(std::string_view piece);

  platform::EventPump pump_;
  Lines lines_;
  std::string partial_;       // the start of a line whose break has not arrived yet
  bool skipLineFeed_ = false;  // the last piece ended in CR, which a LF may complete
};

// The whole text at once, by the same rules.
Lines CutLines(std::string_view text, const platform::EventPump& pump = {});

// Each line followed by CR LF.
std::string JoinLines(const Lines& lines);

struct SplitMessage {
  Lines headers;  // the header lines and the empty line that ends them; none when no line is empty
  Lines body;     // byte-unstuffed
};

// From the lines of the whole reply (status line to terminator): drops the
// status line and the final ".", splits headers from body and unstuffs the body.
SplitMessage SplitRetrLines(Lines lines);
SplitMessage SplitRetrReply(std::string_view reply, const platform::EventPump& pump = {});

}  // namespace mail
