// Base64 and quoted-printable decoding of text: one string (an encoded word of
// a header) or a whole text body held as lines. Malformed input is no error,
// and they never raise: should decoding fail for lack of memory, the input
// stays as it was.
#pragma once

#include <string>
#include <string_view>

#include "mail/lines.h"
#include "platform/event_pump.h"

namespace mail {

// Characters outside the alphabet take no slot; one to three characters left
// after the last complete quad are dropped.
std::string DecodeBase64Text(std::string_view text);

// Each line decoded by itself (a quad never spans two lines), the results joined
// and cut into lines again. `processEvents` runs after every line.
void DecodeBase64Lines(Lines& lines, const platform::EventPump& processEvents = {});

// "=" and two upper-case hex digits become one byte; everything else is copied.
std::string DecodeQPText(std::string_view text);

// A line ending in "=" joins the next (a soft break); the others end in CR LF.
// The result is cut into lines again. `processEvents` runs after every line.
void DecodeQPLines(Lines& lines, const platform::EventPump& processEvents = {});

}  // namespace mail
