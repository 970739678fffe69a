// UTF-8 mail turned into Windows-1251: every character the code page holds
// becomes its byte, every other one (and every malformed sequence) "?", in
// bodies, encoded words and attached files' names.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "mail/body_parser.h"
#include "mail/charsets.h"
#include "mail/header_decoding.h"
#include "mail/message.h"
#include "platform/cp1251.h"
#include "tests/mail/body_walk_fixture.h"
#include "tests/support/transfer_encoders.h"

namespace {

using mail::Lines;
using ::testing::ElementsAre;
using text::operator""_cp1251;

// The dash and the euro sign are in Windows-1251; the Chinese word and the check mark are not.
constexpr const char* kMixed = "Привет, мир — 世界 ✓ €";
const std::string kMixedCp1251(std::string("Привет, мир — ?? ? €"_cp1251));

TEST(Utf8Text, EveryNameOfUtf8ConvertsCharacterByCharacter) {
  for (const char* name : {"UTF-8", "utf-8", "Utf-8", "UTF8", "utf8"})
    EXPECT_EQ(mail::ConvertTextCharset(kMixed, name), kMixedCp1251) << name;
}

TEST(Utf8Text, OtherNamesLikeUtf8AreNotTakenForIt) {
  for (const char* name : {"UTF-88", "UTF", "X-UTF-8"})
    EXPECT_EQ(mail::ConvertTextCharset(kMixed, name), mail::ConvertTextCharset(kMixed, "")) << name;
}

TEST(Utf8Text, MalformedBytesBecomeQuestionMarks) {
  struct Case {
    const char* name;
    std::string utf8;
    std::string cp1251;
  } cases[] = {
      {"a byte that starts nothing", "a\xFF" "b", "a?b"},
      {"a continuation byte alone", "a\x80" "b", "a?b"},
      {"a sequence cut by the end", "Ж\xD0", std::string("Ж?"_cp1251)},
      {"a sequence cut by plain text", "\xE4\xB8x", "??x"},
      {"a four-byte character", "\xF0\x9F\x98\x80!", "?!"},
      {"a two-byte lead for ASCII is refused", "\xC1\x81", "??"},
      {"ASCII stays", "plain text 123", "plain text 123"},
      {"Ё and ё", "Ёё", std::string("Ёё"_cp1251)},
  };
  for (const Case& c : cases) EXPECT_EQ(mail::ConvertTextCharset(c.utf8, "utf-8"), c.cp1251) << c.name;
}

TEST(Utf8Text, BodyLinesConvertAndKeepTheirCount) {
  Lines lines = {kMixed, "", "второй"};
  mail::ConvertLinesCharset(lines, "utf-8");
  EXPECT_THAT(lines, ElementsAre(kMixedCp1251, "", std::string("второй"_cp1251)));
}

TEST(Utf8Text, EncodedWordsInBothEncodings) {
  struct Case {
    const char* name;
    const char* header;
    std::string decoded;
  } cases[] = {
      {"base64", "=?utf-8?B?0J/RgNC40LLQtdGCLCDQvNC40YAg4oCUIOS4lueVjCDinJMg4oKs?=", kMixedCp1251},
      {"quoted-printable",
       "=?UTF-8?Q?=D0=9F=D1=80=D0=B8=D0=B2=D0=B5=D1=82=2C_=D0=BC=D0=B8=D1=80_=E2=80=94_=E4=B8=96=E7=95=8C_=E2=9C=93_"
       "=E2=82=AC?=",
       kMixedCp1251},
      {"lower-case encoding and text around", "Re: =?utf8?b?0JbQtA==?= ok", std::string("Re: Жд ok"_cp1251)},
  };
  for (const Case& c : cases) EXPECT_EQ(mail::DecodeHeaderText(c.header, "windows-1251"), c.decoded) << c.name;
}

TEST(Utf8Text, PlainHeaderTextFollowsTheMessagesUtf8Charset) {
  EXPECT_EQ(mail::DecodeHeaderText(kMixed, "UTF-8"), kMixedCp1251);
}

using Utf8Message = testsupport::BodyWalk;

TEST_F(Utf8Message, TextPartAndFileNamesInUtf8) {
  Lines body = {"--b", "Content-Type: text/plain; charset=utf-8", "Content-Transfer-Encoding: base64", ""};
  body.Append(testsupport::CutEvery(testsupport::EncodeBase64(kMixed), 76));
  const Lines tail = {"--b",
                      "Content-Type: application/octet-stream; name=\"=?UTF-8?B?0L7RgtGH0ZHRgiDkuJbnlYwudHh0?=\"",
                      "Content-Transfer-Encoding: base64",
                      "",
                      testsupport::EncodeBase64("data"),
                      "--b--"};
  body.Append(tail);
  const auto message = Parse({"Content-Type: multipart/mixed; boundary=b", ""}, body);
  EXPECT_THAT(message.Text, ElementsAre(kMixedCp1251));
  ASSERT_EQ(message.AttachedFiles.Count(), 1u);
  EXPECT_EQ(message.AttachedFiles.Items(0).FileName, std::string("отчёт ??.txt"_cp1251));
  EXPECT_EQ(*message.AttachedFiles.Items(0).Data, "data");
}

}  // namespace
