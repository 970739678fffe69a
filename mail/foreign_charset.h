// Text in a declared charset that is not one of the Cyrillic code pages
// (Latin and other single-byte sets, UTF-16/32, UTF-7, CJK sets), read by the
// system's converter and written in Windows-1251.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace mail {

// The text in Windows-1251, "?" for each character it lacks and for each byte
// that is not valid in `charset`; nothing when the system knows no such charset.
std::optional<std::string> ForeignToCp1251(std::string_view text, std::string_view charset);

}  // namespace mail
