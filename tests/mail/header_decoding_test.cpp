// Header values with MIME encoded words, decoded into Windows-1251.
#include "mail/header_decoding.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include "platform/cp1251.h"

namespace {

using text::operator""_cp1251;

TEST(FindEncodedWord, FindsTheFirstWordWithThreeQuestionMarks) {
  struct Case {
    const char* name;
    std::string text;
    bool found;
    std::size_t start, stop;
  } cases[] = {
      {"whole value", "=?KOI8-R?Q?abc?=", true, 1, 16},
      {"inside text", "Re: =?KOI8-R?B?8NLJ18XU?= ok", true, 5, 25},
      {"the first of two", "=?a?Q?x?= =?b?Q?y?=", true, 1, 9},
      {"a closing mark too early is passed over", "=?a?=b?Q?c?=", true, 1, 12},
      {"empty encoded text", "=?a?b?" "?=", true, 1, 8},
      {"two question marks are too few", "=?a?b?=", false, 1, 7},
      {"no opening", "plain?Q?text?=", false, 1, 14},
      {"no closing", "=?KOI8-R?Q?abc", false, 1, 14},
      {"empty", "", false, 1, 0},
  };
  for (const Case& c : cases) {
    std::size_t start = 0;
    std::size_t stop = 0;
    EXPECT_EQ(mail::FindEncodedWord(c.text, start, stop), c.found) << c.name;
    EXPECT_EQ(start, c.start) << c.name;
    EXPECT_EQ(stop, c.stop) << c.name;
  }
}

TEST(DecodeHeaderText, DecodesEncodedWordsAndConvertsTheRest) {
  const std::string privet("Привет"_cp1251);
  struct Case {
    const char* name;
    std::string text;
    std::string defaultCharset;
    std::string decoded;
  } cases[] = {
      {"Q in KOI8-R", "=?KOI8-R?Q?=F0=D2=C9=D7=C5=D4?=", "", privet},
      {"B in lower-case names", "=?koi8-r?b?8NLJ18XU?=", "", privet},
      {"B in Windows-1251", "=?windows-1251?B?z/Do4uXy?=", "", privet},
      {"blank between two words stays", "=?KOI8-R?Q?=F0?= =?KOI8-R?Q?=D2?=", "", std::string("П р"_cp1251)},
      {"underscore is a blank in Q", "=?KOI8-R?Q?a_b?=", "", "a b"},
      {"=5F is still an underscore", "=?KOI8-R?Q?a=5Fb?=", "", "a_b"},
      {"lower-case hex is not decoded", "=?KOI8-R?Q?=f0?=", "", "=f0"},
      {"ISO-8859-5 by name", "=?ISO-8859-5?Q?=BF?=", "", std::string("П"_cp1251)},
      {"a Latin ISO word by its own table", "=?ISO-8859-1?Q?caf=E9?=", "", "caf?"},
      {"a language after the charset", "=?KOI8-R*ru?Q?=F0?=", "", std::string("П"_cp1251)},
      {"raw UTF-8 with no charset anywhere", "Привет", "", std::string("Привет"_cp1251)},
      {"raw UTF-8 whatever the body declares", "Jørgen Привет", "windows-1251", std::string("J?rgen Привет"_cp1251)},
      {"unknown encoding letter stays", "=?KOI8-R?X?abc?=", "", "=?KOI8-R?X?abc?="},
      {"two-letter encoding stays", "=?KOI8-R?BB?abc?=", "", "=?KOI8-R?BB?abc?="},
      {"empty charset stays", "=??Q?abc?=", "", "=??Q?abc?="},
      {"plain ASCII whatever the charset", "Hello, world", "KOI8-R", "Hello, world"},
      {"text around words by the default charset", "\xF0=?windows-1251?Q?=CF?=\xF0", "KOI8-R", std::string("ППП"_cp1251)},
      {"prefix text kept", "Re: =?KOI8-R?Q?=F0?=", "", std::string("Re: П"_cp1251)},
      {"an encoded word that does not close is plain text", "=?KOI8-R?Q?=F0", "", "=?KOI8-R?Q?=F0"},
      {"empty", "", "KOI8-R", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(mail::DecodeHeaderText(c.text, c.defaultCharset), c.decoded) << c.name;
}

TEST(DecodeHeaderText, Utf8WordIsDecoded) {
  EXPECT_EQ(mail::DecodeHeaderText("=?UTF-8?B?0J/RgNC40LLQtdGC?=", ""), std::string("Привет"_cp1251));
}

TEST(DecodeHeaderWord, PlainPieceIsConvertedByTheDefaultCharset) {
  EXPECT_EQ(mail::DecodeHeaderWord("\xF0\xD2\xC9\xD7\xC5\xD4", "KOI8-R"), std::string("Привет"_cp1251));
  EXPECT_EQ(mail::DecodeHeaderWord("\xF0\xD2\xC9\xD7\xC5\xD4", "WINDOWS-1251"), "\xF0\xD2\xC9\xD7\xC5\xD4");
  EXPECT_EQ(mail::DecodeHeaderWord("=?=", "KOI8-R"), "=?=");
}

}  // namespace
