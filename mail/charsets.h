// Russian text in the Cyrillic code pages mail arrives in, turned into
// Windows-1251. Only the 66 letters of the Russian alphabet are converted;
// every other byte keeps its value. UTF-8 and the other declared charsets are
// the exception: every character Windows-1251 holds becomes its byte, any
// other one "?". Nothing here raises.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "mail/lines.h"

namespace mail {

enum class CyrillicCharset { Windows1251, Cp866, Koi8R, Iso88595 };

// Windows-1251 byte for every byte of a source code page.
using ConversionTable = std::array<unsigned char, 256>;

// Which byte values are Russian letters in a code page.
using LetterSet = std::array<bool, 256>;

// The conversion tables; Windows-1251 needs none.
const ConversionTable& Cp866Table();
const ConversionTable& IsoTable();
const ConversionTable& Koi8Table();

const LetterSet& CharsetLetters(CyrillicCharset charset);

// The code page the text most likely is, from how many of its bytes are letters
// in each; Windows-1251 (no conversion) when nothing speaks against it.
CyrillicCharset DetectCyrillicCharset(std::string_view text);

// The table for the guessed code page; none for Windows-1251.
const ConversionTable* CyrillicTableFor(std::string_view text);

// Each byte through the table; with none, the text as it is.
std::string ConvertByTable(std::string_view text, const ConversionTable* table);

// The text converted by a charset name, compared in any case: the names of
// Windows-1251 leave it as it is, those of ISO-8859-5, KOI8 and CP866 go through
// their tables, UTF-8 and every other charset the system knows are read as
// themselves. No name, US-ASCII or an unknown name: valid UTF-8 that holds a
// character beyond ASCII is read as UTF-8, anything else by the code page guessed.
std::string ConvertTextCharset(std::string_view text, std::string_view charset);

// The body converted in place by the same rule, the guesses made over its whole text.
void ConvertLinesCharset(Lines& lines, std::string_view charset);

}  // namespace mail
