// Hostile messages at scale: each is built here and parsed from a whole RETR
// reply. Every case must end, with results whose sizes follow from the input,
// so work that grows faster than the message shows up as a case that never
// finishes. The sanitizer build runs smaller sizes (HOSTILE_MAIL_SCALE_DIVISOR):
// the code paths are the same, only the counts shrink.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cctype>
#include <memory>
#include <ostream>
#include <string>

#include "mail/mail_error.h"
#include "mail/message.h"
#include "mail/message_parser.h"
#include "platform/cp1251.h"
#include "tests/mail/fake_mime_database.h"
#include "tests/mail/recording_parse_context.h"
#include "tests/support/case_names.h"

#ifndef HOSTILE_MAIL_SCALE_DIVISOR
#define HOSTILE_MAIL_SCALE_DIVISOR 1
#endif

namespace {

using mail::Lines;
using mail::TKelMsg;
using ::testing::ElementsAre;
using text::operator""_cp1251;

constexpr std::size_t Scaled(std::size_t count) { return count / HOSTILE_MAIL_SCALE_DIVISOR; }

class HostileMail : public ::testing::Test {
 protected:
  // `message` is the text after "+OK": header lines, an empty line, the body.
  std::unique_ptr<TKelMsg> Parse(const std::string& message) {
    return mail::ParseRetrReply(context_, "+OK\r\n" + message + "\r\n.\r\n", false).message;
  }

  testsupport::FakeMimeDatabase types_{{{".bin", "application/octet-stream"}}};
  testsupport::RecordingParseContext context_{types_};
};

std::string Repeat(const std::string& piece, std::size_t count) {
  std::string out;
  out.reserve(piece.size() * count);
  for (std::size_t i = 0; i < count; ++i) out += piece;
  return out;
}

// Ten thousand files a message; the parts after them are kept whole, their
// delimiters included, in one more file.
TEST_F(HostileMail, PartsBeyondTenThousandFilesAreKeptWholeInOneFile) {
  const auto part = [](std::size_t i) {
    return "--s\r\nContent-Type: application/octet-stream; name=\"f" + std::to_string(i) + ".bin\"\r\n\r\nxy\r\n\r\n";
  };
  std::string body, rest;
  for (std::size_t i = 0; i < 10003; ++i) (i < 10000 ? body : rest) += part(i);
  const auto message = Parse("Content-Type: multipart/mixed; boundary=s\r\n\r\n" + body + rest + "--s--");
  ASSERT_EQ(message->AttachedFiles.Count(), 10001u);
  EXPECT_EQ(message->AttachedFiles.Items(9999).FileName, "f9999.bin");
  EXPECT_EQ(message->AttachedFiles.Items(9999).Data, "xy\r\n");
  EXPECT_EQ(message->AttachedFiles.Items(10000).Data, rest);
}

// The rest reaches past a nested multipart to the end of the message's last part.
TEST_F(HostileMail, TheRestAfterTenThousandFilesInANestedPartRunsToTheLastPart) {
  std::string inner;
  for (std::size_t i = 0; i < 10001; ++i) inner += "--s\r\nContent-Type: text/x-a; name=f" + std::to_string(i) + "\r\n\r\nxy\r\n";
  const std::string after = "--o\r\nContent-Type: text/plain\r\n\r\nafter\r\n";
  const auto message = Parse("Content-Type: multipart/mixed; boundary=o\r\n\r\n--o\r\n"
                             "Content-Type: multipart/mixed; boundary=s\r\n\r\n" +
                             inner + "--s--\r\n" + after + "--o--");
  ASSERT_EQ(message->AttachedFiles.Count(), 10001u);
  EXPECT_EQ(message->AttachedFiles.Items(10000).Data,
            "--s\r\nContent-Type: text/x-a; name=f10000\r\n\r\nxy\r\n--s--\r\n" + after);
  EXPECT_TRUE(message->Text.empty());
}

// Likewise for uuencoded blocks in a text: those after the ten thousandth stay in the text.
TEST_F(HostileMail, UuencodedBlocksBeyondTenThousandFilesStayInTheText) {
  std::string body = "first\r\n";
  for (std::size_t i = 0; i < 10002; ++i) body += "begin 644 f" + std::to_string(i) + ".txt\r\n#86)C\r\nend\r\n";
  const auto message = Parse("Subject: blocks\r\n\r\n" + body);
  ASSERT_EQ(message->AttachedFiles.Count(), 10000u);
  EXPECT_EQ(message->AttachedFiles.Items(9999).Data, "abc");
  EXPECT_THAT(message->Text, ElementsAre("first", "begin 644 f10000.txt", "#86)C", "end", "begin 644 f10001.txt",
                                         "#86)C", "end", ""));
}

TEST_F(HostileMail, TenThousandNestedLevelsKeepTheDeepContentInOneFile) {
  const std::size_t levels = Scaled(10000);
  std::string body;
  for (std::size_t level = 1; level < levels; ++level)
    body += "--b" + std::to_string(level - 1) + "\r\nContent-Type: multipart/mixed; boundary=b" + std::to_string(level) +
            "\r\n\r\n";
  body += "--b" + std::to_string(levels - 1) + "\r\n\r\ninnermost";
  const auto message = Parse("Content-Type: multipart/mixed; boundary=b0\r\n\r\n" + body);
  ASSERT_EQ(message->AttachedFiles.Count(), 1u);
  const std::string& kept = *message->AttachedFiles.Items(0).Data;
  EXPECT_TRUE(kept.ends_with("innermost\r\n"));
  // Everything below the walked levels is kept once, not once per level.
  EXPECT_LT(kept.size(), body.size());
}

TEST_F(HostileMail, FiftyMebibyteFoldedSubjectIsReadWhole) {
  const std::string fold = " " + std::string(1023, 'a');
  const std::size_t folds = Scaled(50 * 1024);
  const auto message = Parse("Subject: s\r\n" + Repeat(fold + "\r\n", folds) + "\r\nbody");
  EXPECT_EQ(message->Subject.size(), 1 + folds * 1023);
  EXPECT_THAT(message->Text, ElementsAre("body"));
}

TEST_F(HostileMail, HalfAMillionHeaderLinesBeforeTheFieldsThatCount) {
  const std::size_t lines = Scaled(500000);
  std::string headers;
  for (std::size_t i = 0; i < lines; ++i) headers += "X-Filler-" + std::to_string(i) + ": v\r\n";
  const auto message =
      Parse(headers + "Subject: last\r\nFrom: a@b\r\nContent-Type: text/plain; charset=koi8-r\r\n\r\nbody");
  ASSERT_TRUE(message->Headers);
  EXPECT_EQ(message->Headers->size(), lines + 4);
  EXPECT_EQ(message->Subject, "last");
  EXPECT_EQ(message->From, "a@b");
  EXPECT_EQ(message->Charset, "KOI8-R");
}

TEST_F(HostileMail, TwentyThousandEncodedWordsInOneSubject) {
  const std::size_t words = Scaled(20000);
  // "Тест" in Windows-1251, one word per folded line.
  const auto message =
      Parse("Subject: x\r\n" + Repeat(" =?windows-1251?B?0uXx8g==?=\r\n", words) + "\r\nbody");
  EXPECT_EQ(message->Subject, "x" + Repeat(std::string("Тест"_cp1251), words));
}

TEST_F(HostileMail, EncodedWordsThatNeverCloseStayAsTheyCame) {
  const std::size_t words = Scaled(20000);
  const std::string subject = Repeat("=?windows-1251?B?0uXx8g ", words);
  const auto message = Parse("Subject: " + subject + "\r\n\r\nbody");
  EXPECT_EQ(message->Subject, subject.substr(0, subject.size() - 1));
}

struct BrokenBody {
  const char* name;
  std::string message;
  bool raises;               // the format error, when the multipart body cannot be split
  std::size_t files;         // attached files
  std::string firstFile;     // the first file's data, when there is one
  mail::Lines text;
};

void PrintTo(const BrokenBody& c, std::ostream* out) { *out << c.name; }

class BrokenStructure : public HostileMail, public ::testing::WithParamInterface<BrokenBody> {};

TEST_P(BrokenStructure, EndsAsTheRulesSay) {
  const BrokenBody& c = GetParam();
  if (c.raises) {
    EXPECT_THROW(Parse(c.message), mail::MailError);
    return;
  }
  const auto message = Parse(c.message);
  EXPECT_EQ(message->Text, c.text);
  ASSERT_EQ(message->AttachedFiles.Count(), c.files);
  if (c.files > 0) {
    EXPECT_EQ(message->AttachedFiles.Items(0).Data, c.firstFile);
  }
}

const std::string kMixed = "Content-Type: multipart/mixed; boundary=";

const BrokenBody kBrokenBodies[] = {
    {"boundary parameter missing", "Content-Type: multipart/mixed\r\n\r\n--x\r\n\r\ntext", true, 0, "", {}},
    {"boundary never in the body", kMixed + "x\r\n\r\n--y\r\n\r\ntext", true, 0, "", {}},
    {"boundary never closed",
     kMixed + "x\r\n\r\n--x\r\n\r\ntext\r\n--x\r\nContent-Type: a/b; name=f.bin\r\n\r\ndata\r\n\r\n",
     false, 1, "data\r\n\r\n", {"text"}},
    {"empty boundary", kMixed + "\r\n\r\n--\r\n\r\ntext\r\n----", false, 0, "", {"text"}},
    {"quoted empty boundary", kMixed + "\"\"\r\n\r\n--\r\n\r\ntext\r\n----", false, 0, "", {"text"}},
    {"inner boundary extends the outer one",
     kMixed + "b\r\n\r\n--b\r\nContent-Type: multipart/alternative; boundary=bb\r\n\r\n--bb\r\n\r\ninner\r\n--bb--\r\n"
              "--b\r\nContent-Type: a/b; name=f.bin\r\n\r\nfile\r\n\r\n--b--",
     false, 1, "file\r\n", {"inner"}},
    {"outer boundary extends the inner one",
     kMixed + "bb\r\n\r\n--bb\r\nContent-Type: multipart/alternative; boundary=b\r\n\r\n--b\r\n\r\ninner\r\n--b--\r\n"
              "--bb--",
     false, 0, "", {"inner"}},
    {"base64 with junk and bad padding",
     kMixed + "x\r\n\r\n--x\r\nContent-Type: a/b; name=f.bin\r\nContent-Transfer-Encoding: base64\r\n\r\n"
              "YW*Jj!\r\nZA=\r\n=QQ\r\n--x--",
     false, 1, "abcdA", {}},  // the incomplete last group "QQ" still holds one byte
    {"quoted-printable with bad escapes",
     kMixed + "x\r\n\r\n--x\r\nContent-Type: a/b; name=f.bin\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n"
              "a=ZZb=4\r\n=\r\nc=3d=\r\n--x--",
     false, 1, "a=ZZb=4\r\nc=3d", {}},
    {"uuencode with a wrong count and no end", "Subject: u\r\n\r\ntext\r\nbegin 644 f.bin\r\nM86)C\r\n#86)C", false, 0,
     "", {"text"}},
};

INSTANTIATE_TEST_SUITE_P(Cases, BrokenStructure, ::testing::ValuesIn(kBrokenBodies),
                         testsupport::CaseName());

}  // namespace
