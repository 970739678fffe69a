// Turning a received RETR reply into header and body lines.
#pragma once

#include <string>
#include <string_view>

#include "mail/lines.h"
#include "platform/event_pump.h"

namespace mail {

// Cuts text into lines at CR LF, at a lone CR and at a lone LF; a final line
// break yields no empty line after it. A large text takes a while: `pump` is
// called every few thousand lines.
Lines CutLines(std::string_view text, const platform::EventPump& pump = {});

// Each line followed by CR LF.
std::string JoinLines(LinesView lines);

struct SplitMessage {
  Lines headers;  // the header lines and the empty line that ends them; none when no line is empty
  Lines body;     // byte-unstuffed
};

// From the lines of the whole reply (status line to terminator): drops the
// status line and the final ".", splits headers from body and unstuffs the body.
SplitMessage SplitRetrLines(Lines lines);
SplitMessage SplitRetrReply(std::string_view reply, const platform::EventPump& pump = {});

}  // namespace mail
