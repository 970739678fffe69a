#include "mail/charsets.h"

#include <algorithm>

#include "mail/message_lines.h"
#include "platform/cp1251.h"

namespace mail {

namespace {

using text::operator""_cp1251;

// Letters at consecutive byte values of a code page, written as the
// Windows-1251 letters they stand for.
struct LetterRun {
  unsigned char first;
  std::string_view letters;
};

using CodePageLetters = std::array<LetterRun, 3>;

constexpr CodePageLetters kWindows1251Letters = {{
    {0xA8, "Ё"_cp1251},
    {0xB8, "ё"_cp1251},
    {0xC0, "АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯабвгдежзийклмнопрстуфхцчшщъыьэюя"_cp1251},
}};

constexpr CodePageLetters kCp866Letters = {{
    {0x80, "АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯабвгдежзийклмноп"_cp1251},
    {0xE0, "рстуфхцчшщъыьэюя"_cp1251},
    {0xF0, "Ёё"_cp1251},
}};

constexpr CodePageLetters kIsoLetters = {{
    {0xA1, "Ё"_cp1251},
    {0xB0, "АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯабвгдежзийклмнопрстуфхцчшщъыьэюя"_cp1251},
    {0xF1, "ё"_cp1251},
}};

// KOI8-R keeps the order of the Latin letters the Cyrillic ones sound like.
constexpr CodePageLetters kKoi8Letters = {{
    {0xA3, "ё"_cp1251},
    {0xB3, "Ё"_cp1251},
    {0xC0, "юабцдефгхийклмнопярстужвьызшэщчъЮАБЦДЕФГХИЙКЛМНОПЯРСТУЖВЬЫЗШЭЩЧЪ"_cp1251},
}};

constexpr ConversionTable MakeTable(const CodePageLetters& runs) {
  ConversionTable table{};
  for (std::size_t byte = 0; byte < table.size(); ++byte) table[byte] = static_cast<unsigned char>(byte);
  for (const LetterRun& run : runs)
    for (std::size_t i = 0; i < run.letters.size(); ++i)
      table[run.first + i] = static_cast<unsigned char>(run.letters[i]);
  return table;
}

constexpr LetterSet MakeLetterSet(const CodePageLetters& runs) {
  LetterSet letters{};
  for (const LetterRun& run : runs)
    for (std::size_t i = 0; i < run.letters.size(); ++i) letters[run.first + i] = true;
  return letters;
}

constexpr ConversionTable kCp866Table = MakeTable(kCp866Letters);
constexpr ConversionTable kIsoTable = MakeTable(kIsoLetters);
constexpr ConversionTable kKoi8Table = MakeTable(kKoi8Letters);

constexpr std::array<LetterSet, 4> kLetterSets = {
    MakeLetterSet(kWindows1251Letters),
    MakeLetterSet(kCp866Letters),
    MakeLetterSet(kKoi8Letters),
    MakeLetterSet(kIsoLetters),
};

// How often each byte value occurs.
class ByteCounts {
 public:
  void Add(std::string_view text) {
    // Four tallies side by side, so that a run of one letter does not wait on its own count.
    std::size_t i = 0;
    for (; i + 4 <= text.size(); i += 4) {
      ++lanes_[0][static_cast<unsigned char>(text[i])];
      ++lanes_[1][static_cast<unsigned char>(text[i + 1])];
      ++lanes_[2][static_cast<unsigned char>(text[i + 2])];
      ++lanes_[3][static_cast<unsigned char>(text[i + 3])];
    }
    for (; i < text.size(); ++i) ++lanes_[0][static_cast<unsigned char>(text[i])];
  }

  std::size_t Of(std::size_t byte) const { return lanes_[0][byte] + lanes_[1][byte] + lanes_[2][byte] + lanes_[3][byte]; }

  std::size_t InRange(std::size_t first, std::size_t last) const {
    std::size_t count = 0;
    for (std::size_t byte = first; byte <= last; ++byte) count += Of(byte);
    return count;
  }

  std::size_t Letters(CyrillicCharset charset) const {
    const LetterSet& letters = CharsetLetters(charset);
    std::size_t count = 0;
    for (std::size_t byte = 0; byte < letters.size(); ++byte)
      if (letters[byte]) count += Of(byte);
    return count;
  }

 private:
  std::array<std::array<std::size_t, 256>, 4> lanes_{};
};

CyrillicCharset Guess(const ByteCounts& counts) {
  if (counts.InRange(0x80, 0xFF) == 0) return CyrillicCharset::Windows1251;
  CyrillicCharset answer = CyrillicCharset::Windows1251;
  std::size_t best = counts.Letters(CyrillicCharset::Windows1251);
  if (const std::size_t score = counts.Letters(CyrillicCharset::Cp866); score > best) {
    answer = CyrillicCharset::Cp866;
    best = score;
  }
  if (const std::size_t score = counts.Letters(CyrillicCharset::Koi8R); score > best) {
    answer = CyrillicCharset::Koi8R;
    best = score;
  } else if (score == best) {
    // A tie with Windows-1251: KOI8-R's small letters are Windows-1251's capitals.
    const std::size_t capitals = counts.InRange(0xC0, 0xDF) + counts.Of(0xA8);
    const std::size_t small = counts.InRange(0xE0, 0xFF) + counts.Of(0xB8);
    if (capitals > small) answer = CyrillicCharset::Koi8R;
  }
  if (counts.Letters(CyrillicCharset::Iso88595) > best) answer = CyrillicCharset::Iso88595;
  return answer;
}

const ConversionTable* TableOf(CyrillicCharset charset) {
  switch (charset) {
    case CyrillicCharset::Cp866:
      return &kCp866Table;
    case CyrillicCharset::Koi8R:
      return &kKoi8Table;
    case CyrillicCharset::Iso88595:
      return &kIsoTable;
    case CyrillicCharset::Windows1251:
      break;
  }
  return nullptr;
}

enum class NamedConversion { kNone, kIso, kKoi8, kUtf8, kGuess };

bool StartsWithUpper(std::string_view name, std::string_view prefix) {
  if (name.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    const char c = name[i];
    if ((c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c) != prefix[i]) return false;
  }
  return true;
}

bool IsUtf8Name(std::string_view name) {
  return (name.size() == 5 && StartsWithUpper(name, "UTF-8")) || (name.size() == 4 && StartsWithUpper(name, "UTF8"));
}

// Every Windows code page is taken as Windows-1251, every ISO name as ISO-8859-5
// and every KOI8 name as KOI8-R: these are the only Cyrillic pages known here.
NamedConversion ConversionFor(std::string_view charset) {
  if (IsUtf8Name(charset)) return NamedConversion::kUtf8;
  if (StartsWithUpper(charset, "WINDOWS-")) return NamedConversion::kNone;
  if (StartsWithUpper(charset, "ISO-")) return NamedConversion::kIso;
  if (StartsWithUpper(charset, "KOI8-")) return NamedConversion::kKoi8;
  return NamedConversion::kGuess;
}

void ConvertInPlace(std::string& text, const ConversionTable& table) {
  for (char& c : text) c = static_cast<char>(table[static_cast<unsigned char>(c)]);
}

bool HasLineBreak(const std::string& line) {
  return line.find('\r') != std::string::npos || line.find('\n') != std::string::npos;
}

// The body's text is cut into lines again after conversion, so a line that
// carries a CR or LF of its own becomes several.
void CutInnerLineBreaks(Lines& lines) {
  if (std::none_of(lines.begin(), lines.end(), HasLineBreak)) return;
  Lines cut;
  cut.reserve(lines.size());
  for (std::string& line : lines) {
    if (!HasLineBreak(line)) {
      cut.push_back(std::move(line));
      continue;
    }
    for (std::string& piece : CutLines(line + "\r\n")) cut.push_back(std::move(piece));
  }
  lines = std::move(cut);
}

}  // namespace

const ConversionTable& Cp866Table() { return kCp866Table; }
const ConversionTable& IsoTable() { return kIsoTable; }
const ConversionTable& Koi8Table() { return kKoi8Table; }

const LetterSet& CharsetLetters(CyrillicCharset charset) { return kLetterSets[static_cast<std::size_t>(charset)]; }

CyrillicCharset DetectCyrillicCharset(std::string_view text) {
  ByteCounts counts;
  counts.Add(text);
  return Guess(counts);
}

const ConversionTable* CyrillicTableFor(std::string_view text) { return TableOf(DetectCyrillicCharset(text)); }

std::string ConvertByTable(std::string_view text, const ConversionTable* table) {
  std::string converted(text);
  if (table) ConvertInPlace(converted, *table);
  return converted;
}

std::string ConvertTextCharset(std::string_view text, std::string_view charset) {
  switch (ConversionFor(charset)) {
    case NamedConversion::kNone:
      return std::string(text);
    case NamedConversion::kIso:
      return ConvertByTable(text, &kIsoTable);
    case NamedConversion::kKoi8:
      return ConvertByTable(text, &kKoi8Table);
    case NamedConversion::kUtf8:
      return text::Utf8ToCp1251(text);
    case NamedConversion::kGuess:
      break;
  }
  return ConvertByTable(text, CyrillicTableFor(text));
}

void ConvertLinesCharset(Lines& lines, std::string_view charset) {
  const NamedConversion conversion = ConversionFor(charset);
  if (conversion == NamedConversion::kNone) return;
  if (conversion == NamedConversion::kUtf8) {
    for (std::string& line : lines) line = text::Utf8ToCp1251(line);
    CutInnerLineBreaks(lines);
    return;
  }
  const ConversionTable* table = conversion == NamedConversion::kIso ? &kIsoTable : &kKoi8Table;
  if (conversion == NamedConversion::kGuess) {
    ByteCounts counts;
    for (const std::string& line : lines) counts.Add(line);
    table = TableOf(Guess(counts));
  }
  if (table)
    for (std::string& line : lines) ConvertInPlace(line, *table);
  CutInnerLineBreaks(lines);
}

}  // namespace mail
