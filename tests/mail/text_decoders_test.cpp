// Base64 and quoted-printable decoding of one string and of a text body held as lines.
#include "mail/text_decoders.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/support/transfer_encoders.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(DecodeBase64Text, DecodesByTheQuadRules) {
  struct Case {
    const char* name;
    std::string encoded;
    std::string decoded;
  } cases[] = {
      {"three bytes", "TWFu", "Man"},
      {"one pad", "TWE=", "Ma"},
      {"two pads", "TQ==", "M"},
      {"decoding goes on after a pad", "TQ==TWFu", "MMan"},
      {"blank inside is ignored", "TW Fu", "Man"},
      {"line breaks inside are ignored", "TW\r\nFu", "Man"},
      {"characters outside the alphabet take no slot", "T*W.F!u", "Man"},
      {"an incomplete last group of two characters gives one byte", "TWFuTW", "ManM"},
      {"an incomplete last group of three characters gives two bytes", "TWF", "Ma"},
      {"a single left-over character holds no whole byte", "TWFuT", "Man"},
      {"an incomplete group ended by a pad", "TWE=TW=", "MaM"},
      {"empty", "", ""},
      {"pad in the first slot counts no byte", "=AAA", ""},
      {"pad in the third slot keeps one byte", "TQ=u", "M"},
      {"pad in slots one and four keeps two bytes", "=WF=", "\x01" "a"},
      {"pad in slots one and three keeps one byte", "=B==", std::string(1, '\0')},
      {"pad in the second slot is the value 64", "T=Fu", "P\x01n"},
      {"every byte value", testsupport::EncodeBase64(std::string("\x00\x7F\x80\xFF", 4)),
       std::string("\x00\x7F\x80\xFF", 4)},
  };
  for (const Case& c : cases) EXPECT_EQ(mail::DecodeBase64Text(c.encoded), c.decoded) << c.name;
}

TEST(DecodeBase64Text, RoundTripsEveryLength) {
  std::string bytes;
  for (int length = 0; length < 64; ++length) {
    EXPECT_EQ(mail::DecodeBase64Text(testsupport::EncodeBase64(bytes)), bytes) << "length " << length;
    bytes += static_cast<char>(length * 37 + 11);
  }
}

TEST(DecodeBase64Lines, DecodesOneQuadAcrossLinesAndCutsTheResultIntoLines) {
  struct Case {
    const char* name;
    mail::Lines encoded;
    mail::Lines decoded;
  } cases[] = {
      {"a quad split over two lines", {"TWF", "u"}, {"Man"}},
      {"lines of any length make one text", {"TWFuT", "WFu"}, {"ManMan"}},
      {"an incomplete last group gives its whole bytes", {"TWFu", "TWE"}, {"ManMa"}},
      {"CR LF in the decoded text cuts lines", {testsupport::EncodeBase64("one\r\ntwo\r\n")}, {"one", "two"}},
      {"lone CR and lone LF cut lines too", {testsupport::EncodeBase64("a\rb\nc")}, {"a", "b", "c"}},
      {"a line break across encoded lines", {testsupport::EncodeBase64("ab\r"), testsupport::EncodeBase64("\ncd")},
       {"ab", "cd"}},
      {"empty lines inside the text stay", {testsupport::EncodeBase64("a\r\n\r\nb")}, {"a", "", "b"}},
      {"no lines", {}, {}},
  };
  for (Case& c : cases) {
    mail::DecodeBase64Lines(c.encoded);
    EXPECT_EQ(c.encoded, c.decoded) << c.name;
  }
}

TEST(DecodeBase64Lines, ProcessesEventsAfterEveryLine) {
  mail::Lines lines = {"TWFu", "", "TWFu"};
  int calls = 0;
  mail::DecodeBase64Lines(lines, [&calls] { ++calls; });
  EXPECT_EQ(calls, 3);
  EXPECT_THAT(lines, ElementsAre("ManMan"));
}

TEST(DecodeQPText, DecodesOnlyEqualsWithTwoUpperCaseHexDigits) {
  struct Case {
    const char* name;
    std::string encoded;
    std::string decoded;
  } cases[] = {
      {"hex pair", "a=3Db", "a=b"},
      {"lower-case hex stays", "a=3db", "a=3db"},
      {"underscore is not a blank here", "x_y", "x_y"},
      {"equals in the last two positions stays", "ab=4", "ab=4"},
      {"lone equals at the end stays", "ab=", "ab="},
      {"equals before a non-digit stays", "=G0", "=G0"},
      {"high bytes", "=CF=F0=C8", "\xCF\xF0\xC8"},
      {"NUL byte", "a=00b", std::string("a\0b", 3)},
      {"decoded equals is not decoded again", "=3D41", "=41"},
      {"empty", "", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(mail::DecodeQPText(c.encoded), c.decoded) << c.name;
}

TEST(DecodeQPLines, SoftBreaksJoinLinesAndHardBreaksEndThem) {
  struct Case {
    const char* name;
    mail::Lines encoded;
    mail::Lines decoded;
  } cases[] = {
      {"soft break joins the next line", {"a=", "b"}, {"ab"}},
      {"hard breaks keep lines", {"one", "two"}, {"one", "two"}},
      {"soft break on the last line ends the text without a break", {"50% ="}, {"50% "}},
      {"empty line stays", {"a", "", "b"}, {"a", "", "b"}},
      {"decoded CR LF cuts a line", {"a=0D=0Ab"}, {"a", "b"}},
      {"only the final equals is a soft break", {"a=3D="}, {"a="}},
      {"a line that is only a soft break", {"=", "x"}, {"x"}},
      {"no lines", {}, {}},
  };
  for (Case& c : cases) {
    mail::DecodeQPLines(c.encoded);
    EXPECT_EQ(c.encoded, c.decoded) << c.name;
  }
}

TEST(DecodeQPLines, ProcessesEventsAfterEveryLine) {
  mail::Lines lines = {"a=", "b", "c"};
  int calls = 0;
  mail::DecodeQPLines(lines, [&calls] { ++calls; });
  EXPECT_EQ(calls, 3);
  EXPECT_THAT(lines, ElementsAre("ab", "c"));
}

TEST(DecodeQPLines, EmptyBodyStaysEmpty) {
  mail::Lines lines;
  mail::DecodeQPLines(lines);
  EXPECT_THAT(lines, IsEmpty());
}

}  // namespace
