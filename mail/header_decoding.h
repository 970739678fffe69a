// Header values with MIME encoded words ("=?charset?B?...?=" and
// "=?charset?Q?...?=") turned into Windows-1251. Nothing here raises: a
// malformed encoded word is kept as it is.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace mail {

// The whole value: each encoded word decoded and converted by its own charset,
// the text around and between them (blanks included) by `defaultCharset`,
// or as UTF-8 where it is well-formed UTF-8 beyond ASCII.
std::string DecodeHeaderText(std::string_view text, std::string_view defaultCharset);

// One piece of a value: an encoded word, or plain text converted by `defaultCharset`.
std::string DecodeHeaderWord(std::string_view text, std::string_view defaultCharset);

// The first encoded word of `text`: true with its first and last positions,
// counted from 1; false with start 1 and stop the length of the text.
bool FindEncodedWord(std::string_view text, std::size_t& start, std::size_t& stop);

}  // namespace mail
