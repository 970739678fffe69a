// Bytes written as hex digits, the way digests are shown and compared.
#pragma once

#include <span>
#include <string>

namespace platform {

// Two lower-case hex digits per byte, in order.
std::string LowerHex(std::span<const unsigned char> bytes);

}  // namespace platform
