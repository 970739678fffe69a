// The multipart split and the body walk's rules that the fixture messages do
// not pin down on their own.
#include "mail/body_parser.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "mail/mail_error.h"
#include "mail/message.h"
#include "mail/message_lines.h"
#include "tests/mail/body_walk_fixture.h"
#include "tests/mail/fake_mime_database.h"

namespace {

using testsupport::BodyWalk;

using mail::Lines;
using ::testing::ElementsAre;

TEST(SplitMultipart, DelimitersMatchInTheirCaseWithOnlyBlanksAfterThem) {
  const Lines headers = {"Content-Type: multipart/mixed; boundary=\"AbC\"", ""};
  Lines body = {"preamble", "--AbC", "one",   "--AbC x",  "--abc",   "--AbC \t",
                "two",      "--AbC", "three", "--AbC-- ", "epilogue"};
  const auto parts = mail::SplitMultipart("bad", headers, body);
  EXPECT_THAT(parts, ElementsAre(ElementsAre("one", "--AbC x", "--abc"), ElementsAre("two"), ElementsAre("three")));
}

// The boundary is read from the whole unfolded field, as a parameter proper.
TEST(SplitMultipart, BoundaryIsAParameterOfTheWholeField) {
  struct Case {
    const char* name;
    Lines headers;
    std::string boundary;
  } cases[] = {
      {"a quoted boundary keeps its blanks", {"Content-Type: multipart/mixed; boundary=\"simple boundary\""},
       "simple boundary"},
      {"blanks around the equals sign", {"Content-Type: multipart/mixed; boundary = \"b1\" ; charset=x"}, "b1"},
      {"an RFC 2231 boundary", {"Content-Type: multipart/mixed; boundary*=us-ascii'en'b%2D2"}, "b-2"},
      {"beyond the 72nd character",
       {"Content-Type: multipart/signed; protocol=\"application/pkcs7-signature\"; micalg=sha-256; boundary=\"" +
        std::string(50, 'q') + "\""},
       std::string(50, 'q')},
      {"on a continuation line", {"Content-Type: multipart/mixed;", "\tboundary=\"----=_Part_1\""}, "----=_Part_1"},
      {"no semicolon before it", {"Content-Type: multipart/mixed boundary=nb"}, "nb"},
  };
  for (const Case& c : cases) {
    Lines body = {"--" + c.boundary, "a", "--" + c.boundary, "b", "--" + c.boundary + "--"};
    EXPECT_THAT(mail::SplitMultipart("bad", c.headers, body), ElementsAre(ElementsAre("a"), ElementsAre("b")))
        << c.name;
  }
}

TEST(SplitMultipart, EndOfLinesClosesTheLastPart) {
  const Lines headers = {"Content-Type: multipart/mixed;", " boundary=x"};
  Lines body = {"--x", "a", "--x", "b"};
  EXPECT_THAT(mail::SplitMultipart("bad", headers, body), ElementsAre(ElementsAre("a"), ElementsAre("b")));
}

// The largest part is cut differently from the others; wherever it stands,
// every part comes out whole and in order.
TEST(SplitMultipart, PartsKeepTheirLinesWhereverTheLargestStands) {
  const Lines headers = {"Content-Type: multipart/mixed; boundary=x"};
  const Lines small = {"s"}, large = {"l1", "l2", "l3"}, empty;
  const std::vector<std::vector<Lines>> orders = {
      {large, small, empty}, {small, large, empty}, {empty, small, large}, {large}, {empty}};
  for (const auto& order : orders) {
    Lines body = {"preamble"};
    for (const Lines& part : order) {
      body.push_back("--x");
      body.Append(part);
    }
    body.Append({"--x--", "epilogue"});
    EXPECT_EQ(mail::SplitMultipart("bad", headers, body), order);
  }
}

TEST(SplitMultipart, NoBoundaryOrNoDelimiterRaisesTheFormatError) {
  struct Case {
    const char* name;
    Lines headers;
    Lines body;
  } cases[] = {
      {"no boundary parameter", {"Content-Type: multipart/mixed"}, {"--x", "a"}},
      {"no content type", {"Subject: s"}, {"--x", "a"}},
      {"delimiter in no line", {"Content-Type: multipart/mixed; boundary=x"}, {"-x", "a"}},
  };
  for (auto& c : cases) {
    try {
      mail::SplitMultipart("Ошибка", c.headers, c.body);
      ADD_FAILURE() << c.name;
    } catch (const mail::MailError& error) {
      EXPECT_STREQ(error.what(), "Ошибка") << c.name;
    }
  }
}

TEST(LineFinders, FindLineWithIgnoresCaseAndFindLineContainingKeepsIt) {
  const Lines lines = {"Content-Type: text/plain", "Content-Disposition: inline; FileName=\"a\""};
  EXPECT_EQ(mail::FindLineWith("FILENAME=", lines), std::make_pair(std::size_t{1}, std::size_t{30}));
  EXPECT_FALSE(mail::FindLineWith("NAME=", Lines{}));
  EXPECT_EQ(mail::FindLineContaining("text/plain", lines), 0u);
  EXPECT_FALSE(mail::FindLineContaining("TEXT/PLAIN", lines));
}

TEST_F(BodyWalk, OnlyTheFirstTextPartIsTextLaterOnesAreFiles) {
  const auto message = Parse({"Content-Type: multipart/mixed; boundary=b", ""},
                             {"--b", "Content-Type: text/plain", "", "first", "--b", "Content-Type: text/plain", "",
                              "second", "", "--b", "", "no headers at all", "", "--b--"});
  EXPECT_THAT(message.Text, ElementsAre("first"));
  ASSERT_EQ(message.AttachedFiles.Count(), 2u);
  EXPECT_EQ(message.AttachedFiles.Items(0).Data, "second\r\n");
  EXPECT_EQ(message.AttachedFiles.Items(1).Data, "no headers at all\r\n");
}

// Only an empty last line is the break before the delimiter; a sender that
// put no blank line there keeps its last line of content.
TEST_F(BodyWalk, AFileInNoTransferEncodingLosesOnlyAnEmptyLastLine) {
  struct Case {
    const char* name;
    Lines content;
  } cases[] = {
      {"a blank line before the delimiter", {"line 1", "line 2", ""}},
      {"the delimiter right after the content", {"line 1", "line 2"}},
  };
  for (const Case& c : cases) {
    Lines body = {"--b", "Content-Type: application/octet-stream; name=\"a.txt\"", ""};
    body.Append(c.content);
    body.push_back("--b--");
    const auto message = Parse({"Content-Type: multipart/mixed; boundary=b", ""}, body);
    ASSERT_EQ(message.AttachedFiles.Count(), 1u) << c.name;
    EXPECT_EQ(message.AttachedFiles.Items(0).Data, "line 1\r\nline 2\r\n") << c.name;
  }
}

// A nested multipart that cannot be split is kept whole as one unnamed file;
// the parts around it parse as ever. Only the top-level body fails.
TEST_F(BodyWalk, NestedPartThatCannotBeSplitBecomesAFile) {
  struct Case {
    const char* name;
    Lines nested;
  } cases[] = {
      {"no line holds its delimiter", {"Content-Type: multipart/alternative; boundary=i", "", "--missing"}},
      {"empty", {"Content-Type: multipart/related; boundary=i", ""}},
  };
  for (const Case& c : cases) {
    Lines body = {"--o", "", "the text", "--o"};
    body.Append(c.nested);
    body.Append({"--o", "Content-Type: text/plain; name=n.txt", "", "after", "--o--"});
    const auto message = Parse({"Content-Type: multipart/mixed; boundary=o", ""}, body);
    EXPECT_THAT(message.Text, ElementsAre("the text")) << c.name;
    ASSERT_EQ(message.AttachedFiles.Count(), 2u) << c.name;
    EXPECT_EQ(message.AttachedFiles.Items(0).Data, mail::JoinLines(c.nested)) << c.name;
    EXPECT_EQ(message.AttachedFiles.Items(1).FileName, "n.txt") << c.name;
  }
  EXPECT_THROW(Parse({"Content-Type: multipart/mixed; boundary=o", ""}, {"--missing"}), mail::MailError);
}

// Nesting is walked 100 levels deep; what lies deeper stays whole in one file.
TEST_F(BodyWalk, DeepNestingIsCutAndItsContentKept) {
  for (const int levels : {99, 101, 10000}) {
    SCOPED_TRACE(levels);
    Lines body;
    for (int level = 1; level < levels; ++level) {
      body.push_back("--b" + std::to_string(level - 1));
      body.push_back("Content-Type: multipart/mixed; boundary=b" + std::to_string(level));
      body.push_back("");
    }
    body.push_back("--b" + std::to_string(levels - 1));
    body.push_back("");
    body.push_back("innermost text");
    const auto message = Parse({"Content-Type: multipart/mixed; boundary=b0", ""}, body);
    if (levels < 100) {
      EXPECT_THAT(message.Text, ElementsAre("innermost text"));
      EXPECT_EQ(message.AttachedFiles.Count(), 0u);
    } else {
      EXPECT_TRUE(message.Text.empty());
      ASSERT_EQ(message.AttachedFiles.Count(), 1u);
      const std::string& kept = *message.AttachedFiles.Items(0).Data;
      EXPECT_EQ(kept.rfind("innermost text\r\n"), kept.size() - 16);
      EXPECT_NE(kept.find("Content-Type: multipart/mixed; boundary=b100\r\n"), std::string::npos);
    }
  }
}

TEST_F(BodyWalk, MultipartReportIsShownAsText) {
  const auto message = Parse({"Content-Type: multipart/report; boundary=r", ""}, {"--r", "delivery failed", "--r--"});
  EXPECT_THAT(message.Text, ElementsAre("--r", "delivery failed", "--r--"));
  EXPECT_EQ(message.AttachedFiles.Count(), 0u);
}

}  // namespace

// Mail that comes only as HTML reads as the page's text; the page itself is kept as a file.
TEST_F(BodyWalk, HtmlOnlyMailReadsAsThePagesText) {
  const std::string page = "<p>Hello <b>there</b></p><p>two</p>";
  const Lines rendered = {"Hello there", "", "two"};
  struct Case {
    const char* name;
    Lines headers;
    Lines body;
    Lines text;
    std::string file;
  } cases[] = {
      {"a top-level page", {"Content-Type: text/html", ""}, {page}, rendered, page + "\r\n"},
      {"a top-level page in base64", {"Content-Type: text/html", "Content-Transfer-Encoding: base64", ""},
       {"PHA+SGVsbG8gPGI+dGhlcmU8L2I+PC9wPjxwPnR3bzwvcD4="}, rendered, page},
      {"an HTML-only alternative", {"Content-Type: multipart/alternative; boundary=b", ""},
       {"--b", "Content-Type: text/html", "", page, "--b--"}, rendered, page + "\r\n"},
      {"a plain text part wins", {"Content-Type: multipart/alternative; boundary=b", ""},
       {"--b", "Content-Type: text/plain", "", "plain", "--b", "Content-Type: text/html", "", page, "--b--"},
       {"plain"}, page + "\r\n"},
      {"an empty plain text part still wins", {"Content-Type: multipart/alternative; boundary=b", ""},
       {"--b", "Content-Type: text/plain", "", "--b", "Content-Type: text/html", "", page, "--b--"}, {},
       page + "\r\n"},
      {"a named page is an attachment, not the text", {"Content-Type: multipart/mixed; boundary=b", ""},
       {"--b", "Content-Type: text/html; name=page.html", "", page, "--b--"}, {}, page + "\r\n"},
  };
  for (const Case& c : cases) {
    const auto message = Parse(c.headers, c.body);
    EXPECT_EQ(message.Text, c.text) << c.name;
    ASSERT_EQ(message.AttachedFiles.Count(), 1u) << c.name;
    EXPECT_EQ(message.AttachedFiles.Items(0).Data, c.file) << c.name;
  }
}

TEST_F(BodyWalk, AnHtmlPageWithoutACharsetInItsPartReadsTheOneItNames) {
  const std::string koi8Page = "<meta charset=\"koi8-r\"><p>\xF0\xD2\xC9\xD7\xC5\xD4</p>";  // "Привет" in KOI8-R
  const auto message = Parse({"Content-Type: text/html", ""}, {koi8Page});
  EXPECT_THAT(message.Text, ElementsAre(std::string("\xCF\xF0\xE8\xE2\xE5\xF2")));
}
