// The file decoders: decoded bytes, the decode reports with their percentages,
// the format error of uuencode and finding a uuencoded block; and the session's
// decoders, which are these with the session's settings and events.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>

#include "mail/file_decoders.h"
#include "mail/mail_error.h"
#include "mail/pop3_session.h"
#include "platform/cp1251.h"
#include "platform/posix_tcp_client.h"
#include "tests/mail/fake_mime_database.h"
#include "tests/mail/recording_parse_context.h"
#include "tests/support/transfer_encoders.h"

namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using text::operator""_cp1251;

using Decoder = void (*)(mail::ParseContext&, mail::TAttachedFile&);

// A parse context of the test's own, its decode reports kept as readable lines.
struct Decoding {
  testsupport::FakeMimeDatabase types;
  int pumpCalls = 0;
  testsupport::RecordingParseContext context{types, [this] { ++pumpCalls; }};
  std::vector<std::string>& events = context.reports;

  // Decodes `lines` as a file named "f" and answers its Data.
  std::string Decode(Decoder decoder, mail::Lines lines) {
    mail::TAttachedFile item;
    item.FileName = "f";
    item.EncodedLines = std::move(lines);
    decoder(context, item);
    EXPECT_FALSE(item.EncodedLines.has_value());
    return item.Data.value_or("<no data>");
  }
};

// A session that needs no connection, recording its decode events as readable
// lines; every event must come from the session itself.
struct DecodingSession {
  mail::TKelPOP session{std::make_unique<platform::PosixTcpClient>(), [this] { ++pumpCalls; }};
  std::vector<std::string> events;
  int pumpCalls = 0;

  DecodingSession() {
    session.OnDecodeStart = [this](mail::TKelPOP& sender, const std::string& name, std::int32_t count) {
      EXPECT_EQ(&sender, &session);
      events.push_back("start " + name + " " + std::to_string(count));
    };
    session.OnDecodeProgress = [this](mail::TKelPOP& sender, std::uint16_t percent) {
      EXPECT_EQ(&sender, &session);
      events.push_back(std::to_string(percent));
    };
    session.OnDecodeEnd = [this](mail::TKelPOP& sender) {
      EXPECT_EQ(&sender, &session);
      events.push_back("end");
    };
  }

  // Decodes `lines` as a file named "f" and answers its Data.
  std::string Decode(void (mail::TKelPOP::*decoder)(mail::TAttachedFile&), mail::Lines lines) {
    mail::TAttachedFile item;
    item.FileName = "f";
    item.EncodedLines = std::move(lines);
    (session.*decoder)(item);
    EXPECT_FALSE(item.EncodedLines.has_value());
    return item.Data.value_or("<no data>");
  }
};

std::string RandomBytes(std::size_t size) {
  std::mt19937 random(static_cast<unsigned>(size));
  std::string bytes(size, '\0');
  for (char& byte : bytes) byte = static_cast<char>(random() & 0xFF);
  return bytes;
}

TEST(DecodeBase64File, AQuadRunsAcrossLines) {
  struct Case {
    const char* name;
    mail::Lines lines;
    std::string data;
  } cases[] = {
      {"quad split over two lines", {"TWF", "u"}, "Man"},
      {"one character per line", {"T", "W", "F", "u"}, "Man"},
      {"blanks and empty lines take no slot", {"T W", "", " F u "}, "Man"},
      {"padded quad then more", {"TQ=", "=TWFu"}, "MMan"},
      {"an incomplete last group at the very end gives its whole bytes", {"TWFu", "TW"}, "ManM"},
      {"a single left-over character holds no whole byte", {"TWFu", "T"}, "Man"},
      {"no lines", {}, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(Decoding().Decode(&mail::DecodeBase64File, c.lines), c.data) << c.name;
}

// However the encoded text is cut into lines, the file's bytes are the same.
TEST(DecodeBase64File, ResultDoesNotDependOnLineLength) {
  const std::string bytes = RandomBytes(10000);
  const std::string encoded = testsupport::EncodeBase64(bytes);
  for (const std::size_t width : {1, 3, 4, 5, 16, 76, 4096, 100000})
    EXPECT_EQ(Decoding().Decode(&mail::DecodeBase64File, testsupport::CutEvery(encoded, width)), bytes)
        << "lines of " << width;
}

TEST(DecodeQPFile, SoftBreaksJoinAndOtherLinesEndInCrLf) {
  struct Case {
    const char* name;
    mail::Lines lines;
    std::string data;
  } cases[] = {
      {"hard breaks", {"one", "two"}, "one\r\ntwo\r\n"},
      {"soft break", {"a=", "b"}, "ab\r\n"},
      {"soft break at the end", {"50% ="}, "50% "},
      {"hex pairs", {"=CF=F0=E8=E2=E5=F2="}, std::string("Привет"_cp1251)},
      {"lower-case hex is kept", {"=cf="}, "=cf"},
      {"empty line", {""}, "\r\n"},
      {"no lines", {}, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(Decoding().Decode(&mail::DecodeQPFile, c.lines), c.data) << c.name;
}

TEST(DecodeQPFile, ResultDoesNotDependOnWhereSoftBreaksFall) {
  const std::string bytes = RandomBytes(5000);
  for (const std::size_t width : {1, 4, 16, 76, 4096})
    EXPECT_EQ(Decoding().Decode(&mail::DecodeQPFile, testsupport::EncodeQuotedPrintable(bytes, width)),
              bytes)
        << "lines of " << width;
}

TEST(DecodeUUFile, DecodesBlocksOfEveryLength) {
  for (const std::size_t size : {0, 1, 2, 3, 44, 45, 46, 90, 1000}) {
    const std::string bytes = RandomBytes(size);
    EXPECT_EQ(Decoding().Decode(&mail::DecodeUUFile, testsupport::UUEncode(bytes, "x.bin")), bytes)
        << size << " bytes";
  }
}

// Line 1 below is always decoded; "M" announces 45 bytes, "N" 46, "_" 63.
TEST(DecodeUUFile, LinesDecodeThroughAFortyFiveByteBuffer) {
  const std::string full60(60, '!');  // "!" is the value 1: every byte 0x04 0x10 0x41 in turn
  std::string bytes45;
  for (int i = 0; i < 15; ++i) bytes45 += "\x04\x10\x41";
  struct Case {
    const char* name;
    mail::Lines lines;
    std::string data;
  } cases[] = {
      {"three bytes", {"begin 644 abc.txt", "#86)C", "`", "end"}, "abc"},
      {"a full line ignores characters after the 60th", {"begin 644 f", "M" + full60 + "abc~~"}, bytes45},
      {"a count above 45 yields the 45 bytes that fit", {"begin 644 f", "_" + full60}, bytes45},
      {"a count above 45 on a short line yields zeros after its characters", {"begin 644 f", "N!!!!"},
       "\x04\x10\x41" + std::string(42, '\0')},
      {"more than 60 characters: only 60 are read", {"begin 644 f", "L" + full60 + "lower case"}, bytes45.substr(0, 44)},
      {"count larger than the characters carry pads with zeros", {"begin 644 f", "%86)C"}, std::string("abc\0\0", 5)},
      {"a count character alone: blank", {"begin 644 f", " ", "#86)C", "end"}, "abc"},
      {"a count character alone: grave accent on line 1", {"begin 644 f", "`", "#86)C", "end"}, "abc"},
      {"an empty line gives no bytes", {"begin 644 f", "", "#86)C", "end"}, "abc"},
      {"nothing after the begin line", {"begin 644 f"}, ""},
      {"no begin line either", {}, ""},
      {"the grave accent ends the block", {"begin 644 f", "#86)C", "`", "#86)C"}, "abc"},
      {"lines after end are not read", {"begin 644 f", "#86)C", "end", "lower case"}, "abc"},
      {"without end the block runs to the last line", {"begin 644 f", "#86)C", "#86)C"}, "abcabc"},
  };
  for (const Case& c : cases) EXPECT_EQ(Decoding().Decode(&mail::DecodeUUFile, c.lines), c.data) << c.name;
}

TEST(DecodeUUFile, BadCharacterRaisesTheFormatErrorAfterTheClosingEvents) {
  struct Case {
    const char* name;
    mail::Lines lines;
    std::string dataSoFar;
    std::vector<std::string> events;
  } cases[] = {
      {"lower-case letter in data", {"begin 644 f", "#86)C", "#8a)C", "end"}, "abc", {"start f 4", "25", "100", "end"}},
      {"line 1 reading end", {"begin 644 f", "end"}, "", {"start f 2", "100", "end"}},
      {"full count with fewer than 60 characters", {"begin 644 f", "#86)C", "M86)C"}, "abc",
       {"start f 3", "33", "100", "end"}},
      {"character above the alphabet in the count", {"begin 644 f", "a86)C"}, "", {"start f 2", "100", "end"}},
  };
  for (const Case& c : cases) {
    Decoding decoding;
    decoding.context.progressStep = 1;
    decoding.context.formatError = "bad uuencode";
    mail::TAttachedFile item;
    item.FileName = "f";
    item.EncodedLines = c.lines;
    try {
      mail::DecodeUUFile(decoding.context, item);
      ADD_FAILURE() << c.name << ": no error";
    } catch (const mail::MailError& error) {
      EXPECT_STREQ(error.what(), "bad uuencode") << c.name;
    }
    EXPECT_EQ(item.Data, c.dataSoFar) << c.name;
    EXPECT_FALSE(item.EncodedLines.has_value()) << c.name;
    EXPECT_EQ(decoding.events, c.events) << c.name;
  }
}

TEST(FileDecoders, ProgressFiresByStepsAndCatchesUpAfterJumps) {
  Decoding decoding;
  // Four lines of three quads: line 0 computes 0 and fires nothing.
  decoding.Decode(&mail::DecodeBase64File, {"TWFuTWFuTWFu", "TWFuTWFuTWFu", "TWFuTWFuTWFu", "TWFuTWFuTWFu"});
  EXPECT_THAT(decoding.events, ElementsAre("start f 4", "25", "25", "50", "50", "50", "75", "75", "100", "end"));
  EXPECT_EQ(decoding.context.decodePercent, 75);
}

TEST(FileDecoders, PercentagesRoundHalvesToEven) {
  Decoding decoding;
  decoding.context.progressStep = 1;
  decoding.Decode(&mail::DecodeQPFile, mail::Lines(8, "x"));
  // 12.5 rounds to 12, 37.5 to 38, 62.5 to 62, 87.5 to 88.
  EXPECT_THAT(decoding.events, ElementsAre("start f 8", "12", "25", "38", "50", "62", "75", "88", "100", "end"));
}

TEST(FileDecoders, UUPercentagesCountTheBeginLine) {
  Decoding decoding;
  decoding.context.progressStep = 1;
  decoding.Decode(&mail::DecodeUUFile, {"begin 644 f", "#86)C", "#86)C", "end"});
  EXPECT_THAT(decoding.events, ElementsAre("start f 4", "25", "50", "100", "end"));
}

TEST(FileDecoders, DecodePercentCarriesOverToTheNextDecode) {
  struct Case {
    const char* name;
    mail::Lines first;
    std::uint16_t percentLeft;
    std::vector<std::string> emptyDecodeEvents;
  } cases[] = {
      {"left below 100: the empty decode fires 100", {"TWFu", "TWFu", "TWFu", "TWFu"}, 75,
       {"start f 0", "100", "end"}},
      // The last of 200 lines computes 99.5, which rounds to 100.
      {"left at 100: the empty decode fires no progress", mail::Lines(200, "TWFu"), 100, {"start f 0", "end"}},
  };
  for (const Case& c : cases) {
    Decoding decoding;
    decoding.Decode(&mail::DecodeBase64File, c.first);
    EXPECT_EQ(decoding.context.decodePercent, c.percentLeft) << c.name;
    decoding.events.clear();
    decoding.Decode(&mail::DecodeQPFile, {});
    EXPECT_EQ(decoding.events, c.emptyDecodeEvents) << c.name;
    EXPECT_EQ(decoding.context.decodePercent, c.percentLeft) << c.name;
  }
}

TEST(FileDecoders, EventsArePumpedAfterEveryQuadOrLine) {
  struct Case {
    const char* name;
    Decoder decoder;
    mail::Lines lines;
    int pumpCalls;
  } cases[] = {
      {"base64: every complete quad", &mail::DecodeBase64File, {"TWFuTW", "Fu", "TWF"}, 2},
      {"quoted-printable: every line", &mail::DecodeQPFile, {"a=", "b", ""}, 3},
      {"uuencode: every decoded line", &mail::DecodeUUFile, {"begin 644 f", "#86)C", "", "end"}, 2},
  };
  for (const Case& c : cases) {
    Decoding decoding;
    decoding.Decode(c.decoder, c.lines);
    EXPECT_EQ(decoding.pumpCalls, c.pumpCalls) << c.name;
  }
}

TEST(FileDecoders, FileWithoutEncodedLinesDecodesToNothing) {
  Decoding decoding;
  mail::TAttachedFile item;
  item.FileName = "f";
  mail::DecodeBase64File(decoding.context, item);
  EXPECT_EQ(item.Data, "");
  EXPECT_THAT(decoding.events, ElementsAre("start f 0", "100", "end"));
}

TEST(FindUUBegin, FindsTheFirstBeginLineAndItsName) {
  const std::string longName(80, 'n');
  struct Case {
    const char* name;
    mail::Lines lines;
    bool found;
    std::size_t index;
    std::string fileName;
  } cases[] = {
      {"plain begin line", {"text", "begin 644 report.doc", "M..."}, true, 1, "report.doc"},
      {"compared in lower case, name kept as written", {"BEGIN 600 Report.DOC"}, true, 0, "Report.DOC"},
      {"the first of two", {"begin 644 a.txt", "begin 644 b.txt"}, true, 0, "a.txt"},
      {"mode 777 is too large", {"begin 777 x.bin"}, false, 1, ""},
      {"mode 776 is the largest", {"begin 776 x.bin"}, true, 0, "x.bin"},
      {"mode 000 is too small", {"begin 000 x.bin"}, false, 1, ""},
      {"mode 1 is the smallest", {"begin 001 x.bin"}, true, 0, "x.bin"},
      {"begin-base64 is not uuencode", {"begin-base64 644 x"}, false, 1, ""},
      {"ten characters are too few", {"begin 644 "}, false, 1, ""},
      {"eleven are enough", {"begin 644 x"}, true, 0, "x"},
      {"name is cut at 64 characters, blanks kept", {"begin 644 " + longName}, true, 0, longName.substr(0, 64)},
      {"trailing blanks stay in the name", {"begin 644 a b "}, true, 0, "a b "},
      {"no begin line: index is the line count", {"a", "b", "c"}, false, 3, ""},
  };
  for (const Case& c : cases) {
    std::size_t index = 99;
    std::string fileName;
    EXPECT_EQ(mail::FindUUBegin(c.lines, index, fileName), c.found) << c.name;
    EXPECT_EQ(index, c.index) << c.name;
    EXPECT_EQ(fileName, c.fileName) << c.name;
  }
}

TEST(FindUUBegin, EmptyListLeavesIndexAlone) {
  std::size_t index = 7;
  std::string fileName;
  EXPECT_FALSE(mail::FindUUBegin({}, index, fileName));
  EXPECT_EQ(index, 7u);
}

TEST(SessionDecoders, DefaultFormatErrorText) {
  DecodingSession decoding;
  try {
    decoding.Decode(&mail::TKelPOP::DecodeUUFile, {"begin 644 f", "#8a)C"});
    ADD_FAILURE() << "no error";
  } catch (const mail::MailError& error) {
    EXPECT_EQ(error.what(), std::string("Ошибочный формат сообщения!"_cp1251));
  }
}

TEST(SessionDecoders, DecodeWithTheSessionsStepPumpAndFormatError) {
  DecodingSession decoding;
  decoding.session.DecodeProgressStep = 50;
  EXPECT_EQ(decoding.Decode(&mail::TKelPOP::DecodeBase64File, mail::Lines(4, "TWFu")), "ManManManMan");
  EXPECT_THAT(decoding.events, ElementsAre("start f 4", "50", "100", "end"));
  EXPECT_EQ(decoding.pumpCalls, 4);
  decoding.session.ErrorInFormatOfMsg = "bad uuencode";
  try {
    decoding.Decode(&mail::TKelPOP::DecodeUUFile, {"begin 644 f", "#8a)C"});
    ADD_FAILURE() << "no error";
  } catch (const mail::MailError& error) {
    EXPECT_STREQ(error.what(), "bad uuencode");
  }
}

TEST(SessionDecoders, DecodePercentCarriesOverToTheNextDecode) {
  DecodingSession decoding;
  decoding.Decode(&mail::TKelPOP::DecodeBase64File, {"TWFu", "TWFu", "TWFu", "TWFu"});
  EXPECT_EQ(decoding.session.DecodePercent(), 75);
  decoding.events.clear();
  decoding.Decode(&mail::TKelPOP::DecodeQPFile, {});
  EXPECT_THAT(decoding.events, ElementsAre("start f 0", "100", "end"));
  EXPECT_EQ(decoding.session.DecodePercent(), 75);
}

TEST(SessionDecoders, FindUUBeginIsTheFreeOne) {
  DecodingSession decoding;
  std::size_t index = 99;
  std::string fileName;
  EXPECT_TRUE(decoding.session.FindUUBegin({"text", "begin 644 report.doc"}, index, fileName));
  EXPECT_EQ(index, 1u);
  EXPECT_EQ(fileName, "report.doc");
}

}  // namespace
