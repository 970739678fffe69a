// The scrambling of stored user names and passwords: a byte-wise XOR with a
// 16-bit running key that starts at 30571 and follows the scrambled bytes.
// It hides the texts from a casual look at the settings; it is no encryption.
#pragma once

#include <string>
#include <string_view>

namespace config {

// Any byte string to a scrambled one without zero bytes: a scrambled 0 is
// written as 0x01 0x01, a scrambled 1 as 0x01 0x02.
std::string ScrambleText(std::string_view plain);

// The inverse; a lone 0x01 at the end stands for a scrambled 1.
std::string UnscrambleText(std::string_view scrambled);

}  // namespace config
