#include "mail/charsets.h"

#include <algorithm>
#include <span>

#include "mail/foreign_charset.h"
#include "mail/header_fields.h"
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

enum class NamedConversion { kNone, kIso, kKoi8, kCp866, kUtf8, kForeign, kGuess };

bool IsOneOf(const std::string& name, std::initializer_list<std::string_view> names) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

// Only the Cyrillic code pages reach their tables; US-ASCII cannot carry the
// 8-bit bytes it sometimes comes with, so it is left to the guess like no name.
NamedConversion ConversionFor(std::string_view charset) {
  const std::string name = UpperAscii(charset);
  if (name.empty() || IsOneOf(name, {"US-ASCII", "ASCII", "US_ASCII", "ANSI_X3.4-1968"}))
    return NamedConversion::kGuess;
  if (IsOneOf(name, {"UTF-8", "UTF8"})) return NamedConversion::kUtf8;
  if (IsOneOf(name, {"WINDOWS-1251", "CP1251", "X-CP1251", "CP-1251", "WIN-1251", "MS-CYRL"}))
    return NamedConversion::kNone;
  if (IsOneOf(name, {"ISO-8859-5", "ISO8859-5", "ISO_8859-5", "ISO-IR-144", "CYRILLIC"})) return NamedConversion::kIso;
  if (name.starts_with("KOI8-") || name == "KOI8") return NamedConversion::kKoi8;
  if (IsOneOf(name, {"CP866", "IBM866", "866", "CSIBM866", "X-CP866"})) return NamedConversion::kCp866;
  return NamedConversion::kForeign;
}

const ConversionTable* NamedTable(NamedConversion conversion) {
  switch (conversion) {
    case NamedConversion::kIso:
      return &kIsoTable;
    case NamedConversion::kKoi8:
      return &kKoi8Table;
    case NamedConversion::kCp866:
      return &kCp866Table;
    default:
      return nullptr;
  }
}

void ConvertInPlace(std::span<char> text, const ConversionTable& table) {
  for (char& c : text) c = static_cast<char>(table[static_cast<unsigned char>(c)]);
}

bool HasLineBreak(std::string_view line) {
  return line.find_first_of("\r\n") != std::string_view::npos;
}

// The body's text is cut into lines again after conversion, so a line that
// carries a CR or LF of its own becomes several.
void CutInnerLineBreaks(Lines& lines) {
  if (std::none_of(lines.begin(), lines.end(), HasLineBreak)) return;
  Lines cut;
  cut.reserve(lines.size(), lines.ByteSize());
  for (const std::string_view line : lines) {
    if (HasLineBreak(line)) cut.Append(CutLines(std::string(line) + "\r\n"));
    else cut.push_back(line);
  }
  lines = std::move(cut);
}

bool IsAscii(std::string_view line) {
  return std::all_of(line.begin(), line.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Every line well-formed UTF-8 and at least one beyond ASCII.
bool AreMultibyteUtf8(const Lines& lines) {
  bool multibyte = false;
  for (const std::string_view line : lines) {
    if (IsAscii(line)) continue;
    if (!text::IsMultibyteUtf8(line)) return false;
    multibyte = true;
  }
  return multibyte;
}

// Text with no usable name: UTF-8 when it plainly is, else the Cyrillic guess.
std::string ConvertUndeclared(std::string_view text) {
  if (text::IsMultibyteUtf8(text)) return text::Utf8ToCp1251(text);
  return ConvertByTable(text, TableOf(DetectCyrillicCharset(text)));
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
  const NamedConversion conversion = ConversionFor(charset);
  switch (conversion) {
    case NamedConversion::kNone:
      return std::string(text);
    case NamedConversion::kUtf8:
      return text::Utf8ToCp1251(text);
    case NamedConversion::kForeign:
      if (std::optional<std::string> converted = ForeignToCp1251(text, charset)) return *std::move(converted);
      break;
    case NamedConversion::kGuess:
      break;
    default:
      return ConvertByTable(text, NamedTable(conversion));
  }
  return ConvertUndeclared(text);
}

void ConvertLinesCharset(Lines& lines, std::string_view charset) {
  NamedConversion conversion = ConversionFor(charset);
  if (conversion == NamedConversion::kNone) return;
  if (conversion == NamedConversion::kForeign) {
    // A stateful charset (UTF-7, ISO-2022) can only be read as one text.
    if (std::optional<std::string> converted = ForeignToCp1251(JoinLines(lines), charset)) {
      lines = CutLines(*converted);
      return;
    }
    conversion = NamedConversion::kGuess;
  }
  if (conversion == NamedConversion::kGuess && AreMultibyteUtf8(lines)) conversion = NamedConversion::kUtf8;
  if (conversion == NamedConversion::kUtf8) {
    Lines converted;
    converted.reserve(lines.size(), lines.ByteSize());
    for (const std::string_view line : lines) converted.push_back(text::Utf8ToCp1251(line));
    lines = std::move(converted);
    CutInnerLineBreaks(lines);
    return;
  }
  const ConversionTable* table = NamedTable(conversion);
  if (conversion == NamedConversion::kGuess) {
    ByteCounts counts;
    for (const std::string_view line : lines) counts.Add(line);
    table = TableOf(Guess(counts));
  }
  if (table) ConvertInPlace(lines.MutableBytes(), *table);
  CutInnerLineBreaks(lines);
}

}  // namespace mail
