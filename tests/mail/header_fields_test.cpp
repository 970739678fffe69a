#include "mail/header_fields.h"

#include <gtest/gtest.h>

#include "mail/message.h"

namespace {

using mail::Lines;

class NoTypes : public platform::MimeDatabase {
 public:
  std::string ContentTypeOfExtension(const std::string&) const override { return {}; }
  std::string ExtensionOfContentType(const std::string&) const override { return {}; }
};

mail::TKelMsg Filled(const Lines& headers) {
  static const NoTypes types;
  mail::TKelMsg message(types);
  mail::FillHeaderFields(message, headers);
  return message;
}

TEST(HeaderFields, EachFieldFromItsFixedPositionWithItsContinuationRule) {
  const auto message = Filled({
      "Return-Path: <anna@example.org>",
      "Reply-To:  reply@example.org ",
      "  more-reply",
      "from: Anna",
      " Petrova <anna@example.org>",
      "TO: bob@example.org,",
      "\tcarl@example.org",
      "Cc: dan@example.org",
      "Message-ID: <1@example.org>",
      "In-Reply-To: <0@example.org>",
      "Date: Tue, 8 Dec 2026 10:00:00 +0300 (MSK) and a very long tail that runs past seventy-two characters",
      "Subject: Hello",
      "  world",
      "",
  });
  EXPECT_EQ(message.ReturnPath, "<anna@example.org>");
  EXPECT_EQ(message.ReplyTo, " reply@example.org more-reply");  // not trimmed, continuation appended trimmed
  EXPECT_EQ(message.From, "AnnaPetrova <anna@example.org>");
  EXPECT_EQ(message.SendTo, "bob@example.org, carl@example.org");
  EXPECT_EQ(message.CC, "dan@example.org");
  EXPECT_EQ(message.MessageId, "<1@example.org>");
  EXPECT_EQ(message.InReplyTo, "<0@example.org>");
  EXPECT_EQ(message.Date, std::string("Tue, 8 Dec 2026 10:00:00 +0300 (MSK) and a very long tail that runs past seventy-two characters").substr(0, 72));
  EXPECT_EQ(message.Subject, "Helloworld");
}

TEST(HeaderFields, KeysMatchOnlyAtLineStartAndValuesAtFixedPositions) {
  struct Case {
    const char* name;
    Lines headers;
    std::string subject, sendTo, from;
  } cases[] = {
      {"no blank after the colon loses a character", {"Subject:Hi", ""}, "i", "", ""},
      {"REPLY-TO is not TO", {"Reply-To: r@x", ""}, "", "", ""},
      {"first of two lines wins", {"Subject: one", "Subject: two", ""}, "one", "", ""},
      {"continuation stops at an empty line", {"To: a", "", " b"}, "", "a", ""},
      {"From limited to 127 characters", {"From: " + std::string(200, 'x'), ""}, "", "", std::string(127, 'x')},
      {"key alone", {"Subject:", ""}, "", "", ""},
  };
  for (const auto& c : cases) {
    const auto message = Filled(c.headers);
    EXPECT_EQ(message.Subject, c.subject) << c.name;
    EXPECT_EQ(message.SendTo, c.sendTo) << c.name;
    EXPECT_EQ(message.From, c.from) << c.name;
  }
}

TEST(HeaderFields, PartTypeFromContentTypeAndEncoding) {
  struct Case {
    const char* name;
    Lines headers;
    bool hasType;
    std::string encoding, mediaType, charset;
  } cases[] = {
      {"quoted charset", {"Content-Type: text/plain; charset=\"koi8-r\""}, true, "", "TEXT/PLAIN", "KOI8-R"},
      {"boundary on a continuation line",
       {"Content-Type: multipart/mixed;", "\tboundary=\"XyZ\"", "Content-Transfer-Encoding: 7bit"},
       true, "7BIT", "MULTIPART/MIXED", ""},
      {"encoding trimmed and upper-cased", {"content-transfer-encoding:  base64  "}, false, "BASE64", "", ""},
      {"charset before other parameters", {"Content-Type: text/plain; charset=windows-1251; format=flowed"}, true, "",
       "TEXT/PLAIN", "WINDOWS-1251"},
      {"no content type", {"Subject: x"}, false, "", "", ""},
  };
  for (const auto& c : cases) {
    const mail::PartType type = mail::ReadPartType(c.headers);
    EXPECT_EQ(type.hasContentType, c.hasType) << c.name;
    EXPECT_EQ(type.encoding, c.encoding) << c.name;
    EXPECT_EQ(type.mediaType, c.mediaType) << c.name;
    EXPECT_EQ(type.charset, c.charset) << c.name;
  }
}

TEST(HeaderFields, ParamTokenAndFindHeaderLine) {
  EXPECT_EQ(mail::ParamToken("  TEXT/PLAIN; CHARSET=X", 1), "TEXT/PLAIN");
  EXPECT_EQ(mail::ParamToken("A=b c", 3), "b");
  EXPECT_EQ(mail::ParamToken("short", 40), "");
  const Lines lines = {"X-To: a", "to: b"};
  EXPECT_EQ(mail::FindHeaderLine("TO:", lines), 1u);
  EXPECT_FALSE(mail::FindHeaderLine("CC:", lines));
  EXPECT_FALSE(mail::FindHeaderLine("TO:", Lines{}));
}

}  // namespace
