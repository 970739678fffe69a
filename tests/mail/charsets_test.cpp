// The Cyrillic conversion tables against glibc's iconv, the code page guess,
// and the conversion of one text kept in every code page.
#include "mail/charsets.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <iconv.h>

#include <fstream>
#include <sstream>

#include "mail/message_lines.h"
#include "platform/cp1251.h"

namespace {

using mail::CyrillicCharset;
using text::operator""_cp1251;

// glibc's converter as the independent oracle; nothing when the byte has no character.
std::optional<std::string> Iconv(const char* to, const char* from, std::string input) {
  iconv_t cd = ::iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    ADD_FAILURE() << "iconv knows no " << from << " to " << to;
    return std::nullopt;
  }
  std::string out(input.size() * 4 + 4, '\0');
  char* inPtr = input.data();
  char* outPtr = out.data();
  size_t inLeft = input.size();
  size_t outLeft = out.size();
  const size_t result = ::iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
  ::iconv_close(cd);
  if (result == static_cast<size_t>(-1)) return std::nullopt;
  out.resize(out.size() - outLeft);
  return out;
}

// The Russian alphabet: А to я, Ё and ё.
bool IsRussianLetter(const std::string& utf16le) {
  if (utf16le.size() != 2) return false;
  const unsigned code = static_cast<unsigned char>(utf16le[0]) | static_cast<unsigned char>(utf16le[1]) << 8;
  return (code >= 0x0410 && code <= 0x044F) || code == 0x0401 || code == 0x0451;
}

struct CodePage {
  const char* iconvName;
  CyrillicCharset charset;
  const mail::ConversionTable* table;  // none for Windows-1251
};

const CodePage kCodePages[] = {
    {"CP1251", CyrillicCharset::Windows1251, nullptr},
    {"CP866", CyrillicCharset::Cp866, &mail::Cp866Table()},
    {"KOI8-R", CyrillicCharset::Koi8R, &mail::Koi8Table()},
    {"ISO-8859-5", CyrillicCharset::Iso88595, &mail::IsoTable()},
};

TEST(Charsets, TablesMapTheRussianLettersAsGlibcAndKeepEveryOtherByte) {
  for (const CodePage& page : kCodePages) {
    if (!page.table) continue;
    int letters = 0;
    for (int byte = 0; byte < 256; ++byte) {
      const std::string one(1, static_cast<char>(byte));
      const auto unicode = Iconv("UTF-16LE", page.iconvName, one);
      const bool letter = unicode && IsRussianLetter(*unicode);
      letters += letter;
      const std::string expected = letter ? Iconv("CP1251", page.iconvName, one).value_or("?") : one;
      EXPECT_EQ(std::string(1, static_cast<char>((*page.table)[byte])), expected)
          << page.iconvName << " byte 0x" << std::hex << byte;
    }
    EXPECT_EQ(letters, 66) << page.iconvName;
  }
}

TEST(Charsets, LetterSetsAreTheRussianLettersOfEachCodePage) {
  for (const CodePage& page : kCodePages) {
    const mail::LetterSet& letters = mail::CharsetLetters(page.charset);
    for (int byte = 0; byte < 256; ++byte) {
      const auto unicode = Iconv("UTF-16LE", page.iconvName, std::string(1, static_cast<char>(byte)));
      EXPECT_EQ(letters[static_cast<std::size_t>(byte)], unicode && IsRussianLetter(*unicode))
          << page.iconvName << " byte 0x" << std::hex << byte;
    }
  }
}

TEST(Charsets, ConvertByTableKeepsLengthAndWithoutTableTheText) {
  const std::string text("\x00\xF0\xD2\xC9\xD7\xC5\xD4\xFF", 8);
  EXPECT_EQ(mail::ConvertByTable(text, nullptr), text);
  const std::string converted = mail::ConvertByTable(text, &mail::Koi8Table());
  EXPECT_EQ(converted, std::string(1, '\0') + std::string("ПриветЪ"_cp1251));
}

TEST(Charsets, BoxDrawingOfCp866KeepsItsBytes) {
  const std::string boxed = "\xC9\xCD\xBB\xBA\x8F\xE0\xA8\xA2\xA5\xE2\xBA\xC8\xCD\xBC";  // a frame round "Привет"
  const std::string converted = mail::ConvertByTable(boxed, &mail::Cp866Table());
  EXPECT_EQ(converted, "\xC9\xCD\xBB\xBA" + std::string("Привет"_cp1251) + "\xBA\xC8\xCD\xBC");
}

TEST(DetectCyrillicCharset, GuessesFromLetterCounts) {
  const std::string privet = "Привет, мир";
  struct Case {
    const char* name;
    std::string text;
    CyrillicCharset guess;
  } cases[] = {
      {"empty", "", CyrillicCharset::Windows1251},
      {"ASCII only", "Hello, world", CyrillicCharset::Windows1251},
      {"Windows-1251", *Iconv("CP1251", "UTF-8", privet), CyrillicCharset::Windows1251},
      {"CP866", *Iconv("CP866", "UTF-8", privet), CyrillicCharset::Cp866},
      {"KOI8-R", *Iconv("KOI8-R", "UTF-8", privet), CyrillicCharset::Koi8R},
      {"ISO-8859-5", *Iconv("ISO-8859-5", "UTF-8", privet), CyrillicCharset::Iso88595},
      {"Windows-1251 capitals only tie with KOI8-R and go to it", std::string("ПРИВЕТ"_cp1251), CyrillicCharset::Koi8R},
      {"KOI8-R capitals only tie and stay Windows-1251", *Iconv("KOI8-R", "UTF-8", "ПРИВЕТ"),
       CyrillicCharset::Windows1251},
      {"bytes that only CP866 takes for letters", "\x80\x99", CyrillicCharset::Cp866},
  };
  for (const Case& c : cases) EXPECT_EQ(mail::DetectCyrillicCharset(c.text), c.guess) << c.name;
}

TEST(DetectCyrillicCharset, TableForTheGuess) {
  EXPECT_EQ(mail::CyrillicTableFor("ASCII"), nullptr);
  EXPECT_EQ(mail::CyrillicTableFor(*Iconv("KOI8-R", "UTF-8", "Привет")), &mail::Koi8Table());
  EXPECT_EQ(mail::CyrillicTableFor(*Iconv("CP866", "UTF-8", "Привет")), &mail::Cp866Table());
  EXPECT_EQ(mail::CyrillicTableFor(*Iconv("ISO-8859-5", "UTF-8", "Привет")), &mail::IsoTable());
}

struct ConversionCase {
  const char* name;
  std::string text;
  std::string charset;
  std::string converted;
};

TEST(ConvertTextCharset, ChoosesTheTableByNameOrByGuess) {
  const std::string koi8 = *Iconv("KOI8-R", "UTF-8", "Привет");
  const std::string iso = *Iconv("ISO-8859-5", "UTF-8", "Привет");
  const std::string cp866 = *Iconv("CP866", "UTF-8", "Привет");
  const std::string cp1251("Привет"_cp1251);
  const ConversionCase cases[] = {
      {"KOI8-R by name", koi8, "KOI8-R", cp1251},
      {"KOI8-U is taken as KOI8-R", koi8, "koi8-u", cp1251},
      {"ISO-8859-5 by name", iso, "ISO-8859-5", cp1251},
      {"CP866 by name", cp866, "cp866", cp1251},
      {"Windows-1251 by name converts nothing, even KOI8-R bytes", koi8, "windows-1251", koi8},
      {"no name: the guess", koi8, "", cp1251},
      {"an unknown name: the guess", iso, "x-unknown", cp1251},
      {"US-ASCII carrying 8-bit bytes: the guess", koi8, "us-ascii", cp1251},
      {"ASCII whatever the name", "plain text", "KOI8-R", "plain text"},
  };
  for (const ConversionCase& c : cases) EXPECT_EQ(mail::ConvertTextCharset(c.text, c.charset), c.converted) << c.name;
}

// Any other charset the system knows is read as itself: what Windows-1251 holds
// becomes its byte, the rest "?"; Cyrillic bytes under a Latin name are not Cyrillic.
TEST(ConvertTextCharset, EveryOtherDeclaredCharsetIsReadAsItself) {
  const std::string cp1251("Привет"_cp1251);
  const ConversionCase cases[] = {
      {"ISO-8859-1", *Iconv("ISO-8859-1", "UTF-8", "Frösche"), "iso-8859-1", "Fr?sche"},
      {"ISO-8859-5 bytes under a Latin name", *Iconv("ISO-8859-5", "UTF-8", "Привет"), "ISO-8859-1", "??????"},
      {"Windows-1252: its euro sign is Windows-1251's", *Iconv("CP1252", "UTF-8", "Café €"), "windows-1252",
       std::string("Caf? €"_cp1251)},
      {"ISO-8859-2", *Iconv("ISO-8859-2", "UTF-8", "Łódź"), "ISO-8859-2", "??d?"},
      {"UTF-16 with its byte order mark", *Iconv("UTF-16", "UTF-8", "Привет"), "UTF-16", cp1251},
      {"UTF-16LE", *Iconv("UTF-16LE", "UTF-8", "Привет"), "utf-16le", cp1251},
      {"UTF-32BE", *Iconv("UTF-32BE", "UTF-8", "Привет"), "UTF-32BE", cp1251},
      {"UTF-7", *Iconv("UTF-7", "UTF-8", "Привет, мир"), "UTF-7", std::string("Привет, мир"_cp1251)},
      {"Shift_JIS", *Iconv("SHIFT_JIS", "UTF-8", "日本 ok"), "Shift_JIS", "?? ok"},
      {"KOI8-R bytes under windows-1252", *Iconv("KOI8-R", "UTF-8", "Привет"), "windows-1252", "??????"},
      {"a byte the charset does not allow", std::string("a\x81" "b"), "windows-1252", "a?b"},
      {"a name that is no plain token: the guess", *Iconv("KOI8-R", "UTF-8", "Привет"), "../KOI8-R", cp1251},
  };
  for (const ConversionCase& c : cases) EXPECT_EQ(mail::ConvertTextCharset(c.text, c.charset), c.converted) << c.name;
}

// Text without a usable name that is well-formed UTF-8 beyond ASCII is read as UTF-8 before any guess.
TEST(ConvertTextCharset, UndeclaredUtf8IsReadAsUtf8) {
  const std::string utf8 = "Привет, мир";
  const std::string cp1251("Привет, мир"_cp1251);
  for (const char* name : {"", "x-unknown", "us-ascii"})
    EXPECT_EQ(mail::ConvertTextCharset(utf8, name), cp1251) << name;
  const std::string koi8 = *Iconv("KOI8-R", "UTF-8", "Привет, мир");
  EXPECT_EQ(mail::ConvertTextCharset(koi8, ""), cp1251) << "KOI8-R is no UTF-8, so the guess reads it";
  EXPECT_EQ(mail::ConvertTextCharset(utf8, "koi8-r"), mail::ConvertByTable(utf8, &mail::Koi8Table()))
      << "a declared Cyrillic name is believed";
}

mail::Lines Fixture(const std::string& charset) {
  std::ifstream file(std::string(TEST_DATA_DIR) + "/charsets/pangram." + charset + ".txt", std::ios::binary);
  EXPECT_TRUE(file) << charset;
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return mail::CutLines(bytes.str());
}

TEST(ConvertLinesCharset, OneTextInEveryCodePageBecomesWindows1251) {
  const mail::Lines expected = Fixture("windows-1251");
  struct Case {
    const char* fixture;
    const char* charsetName;
  } cases[] = {
      {"windows-1251", "windows-1251"}, {"windows-1251", ""},     {"koi8-r", "KOI8-R"}, {"koi8-r", ""},
      {"cp866", "IBM866"},             {"cp866", ""},            {"iso-8859-5", "ISO-8859-5"},
      {"iso-8859-5", ""},
  };
  for (const Case& c : cases) {
    mail::Lines lines = Fixture(c.fixture);
    mail::ConvertLinesCharset(lines, c.charsetName);
    EXPECT_EQ(lines, expected) << c.fixture << " named \"" << c.charsetName << "\"";
  }
}

TEST(ConvertLinesCharset, Utf8IsDecodedWhenNamedAndWhenPlainlyUtf8WithoutAName) {
  for (const char* name : {"utf-8", ""}) {
    mail::Lines lines = Fixture("utf-8");
    mail::ConvertLinesCharset(lines, name);
    EXPECT_EQ(lines, Fixture("windows-1251")) << name;
  }
  mail::Lines oneLineNotUtf8 = Fixture("utf-8");
  oneLineNotUtf8.push_back("\xF0\xD2\xC9");
  mail::ConvertLinesCharset(oneLineNotUtf8, "");
  EXPECT_NE(oneLineNotUtf8.front(), Fixture("windows-1251").front())
      << "one line that is no UTF-8 leaves it to the guess";
}

TEST(ConvertLinesCharset, AStatefulCharsetIsReadAsOneText) {
  mail::Lines lines = mail::CutLines(*Iconv("UTF-7", "UTF-8", "Привет,\r\nмир\r\n"));
  mail::ConvertLinesCharset(lines, "UTF-7");
  EXPECT_THAT(lines, ::testing::ElementsAre(std::string("Привет,"_cp1251), std::string("мир"_cp1251)));
}

TEST(ConvertLinesCharset, TheBodyIsCutIntoLinesAgain) {
  struct Case {
    const char* name;
    mail::Lines lines;
    std::string charset;
    mail::Lines converted;
  } cases[] = {
      {"a lone LF inside a line", {"a\nb", "c"}, "KOI8-R", {"a", "b", "c"}},
      {"a CR at the end of a line leaves an empty line", {"a\r", "c"}, "", {"a", "", "c"}},
      {"a Windows name touches nothing", {"a\nb"}, "WINDOWS-1251", {"a\nb"}},
      {"empty lines stay", {"", "x", ""}, "KOI8-R", {"", "x", ""}},
  };
  for (Case& c : cases) {
    mail::ConvertLinesCharset(c.lines, c.charset);
    EXPECT_EQ(c.lines, c.converted) << c.name;
  }
}

TEST(ConvertLinesCharset, GuessesOverTheWholeBody) {
  // Alone, the capitals line would be taken as KOI8-R; the body as a whole is Windows-1251.
  mail::Lines lines = {std::string("ПРИВЕТ"_cp1251), std::string("как дела"_cp1251)};
  const mail::Lines unchanged = lines;
  mail::ConvertLinesCharset(lines, "");
  EXPECT_EQ(lines, unchanged);
}

}  // namespace
