// Small text helpers with the conversion rules the protocol and the headers rely on.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace mail {

// Removes blanks and control characters (every byte up to the space) from both ends.
std::string_view Trim(std::string_view text);

// A whole decimal integer with an optional sign; `fallback` for anything else,
// an empty text and a value that does not fit 64 bits included.
std::int64_t ToIntDef(std::string_view text, std::int64_t fallback);

}  // namespace mail
