// HTML made readable: what a reader would see of a page, as lines of text.
#include "mail/html_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(HtmlToPlainText, ShowsTheVisibleTextAsAReaderSeesIt) {
  struct Case {
    const char* name;
    std::string html;
    std::string text;
  } cases[] = {
      {"blanks collapse, lines come from the structure", "<p>one\n  two</p><p>three</p>", "one two\r\n\r\nthree\r\n"},
      {"a division breaks the line", "<div>a</div><div>b</div>", "a\r\nb\r\n"},
      {"each <br> breaks, two leave an empty line", "a<br>b<br><br>c", "a\r\nb\r\n\r\nc\r\n"},
      {"head, title, style and script are not shown",
       "<html><head><title>T</title><style>p{}</style></head><body><script>x()</script>shown</body></html>",
       "shown\r\n"},
      {"comments are not shown", "a<!-- hidden -->b", "ab\r\n"},
      {"entities are decoded", "&lt;tag&gt; &amp; &quot;q&quot; &#1055;&#x440;&nbsp;x", "<tag> & \"q\" Пр x\r\n"},
      {"non-breaking spaces are blanks that never collapse", "a&nbsp;&nbsp; b", "a   b\r\n"},
      {"a link is its text and its address", "see <a href=\"https://example.org/a\">the page</a>.",
       "see the page <https://example.org/a>.\r\n"},
      {"a link that shows its address is not doubled", "<a href=\"https://example.org/\">https://example.org/</a>",
       "https://example.org/\r\n"},
      {"a mail link that shows its address", "<a href=\"mailto:a@example.org\">a@example.org</a>", "a@example.org\r\n"},
      {"an anchor in the page shows no address", "<a href=\"#top\">up</a>", "up\r\n"},
      {"list items each on a line", "<ul><li>one</li><li>two</li></ul>after", "- one\r\n- two\r\n\r\nafter\r\n"},
      {"table cells apart, rows on lines", "<table><tr><td>a</td><td>b</td></tr><tr><th>c</th><td>d</td></tr></table>",
       "a\tb\r\nc\td\r\n"},
      {"preformatted text keeps its blanks and lines", "<pre>a  b\nc</pre>", "a  b\r\nc\r\n"},
      {"an image shows its alternative text", "x<img src=\"cid:1\" alt=\"logo\">y", "xlogoy\r\n"},
      {"unclosed markup still reads", "<p><b>bold<i>both</p>end", "boldboth\r\n\r\nend\r\n"},
      {"no text at all", "<html><body><img src=\"x\"></body></html>", ""},
      {"empty", "", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(mail::HtmlToPlainText(c.html), c.text) << c.name;
}

// A page nested deeper, or holding more tags, than any page meant to be read is
// read only so far: the parser's cost would otherwise grow with the square of
// its nesting. What comes before the cut reads as ever.
TEST(HtmlToPlainText, AHostilePageIsReadOnlyAsFarAsASaneOneGoes) {
  struct Case {
    const char* name;
    std::string unit;
    std::string line;
  } cases[] = {
      {"unclosed divisions", "<div>a", "a"},
      {"unclosed bold text closed by the wrong tags", "<b>a</i>", "a"},
      {"closed paragraphs without end", "<p>a", "a"},
  };
  for (const Case& c : cases) {
    std::string html;
    for (int i = 0; i < 200000; ++i) html += c.unit;
    const std::string text = mail::HtmlToPlainText(html + "<p>the end");
    EXPECT_TRUE(text.starts_with(c.line)) << c.name;
    EXPECT_EQ(text.find("the end"), std::string::npos) << c.name;
  }
  std::string sane = "<html><body>";
  for (int i = 0; i < 5000; ++i) sane += "<div><p>a <b>b</b> <a href=\"x\">c</a></p><br></div>";
  EXPECT_NE(mail::HtmlToPlainText(sane + "<p>the end").find("the end"), std::string::npos)
      << "a long page of ordinary markup is read whole";
}

TEST(HtmlToPlainText, ReadsOnlyTheFirstPartOfAHugePage) {
  const std::string html = "<p>start</p>" + std::string(mail::kMaxRenderedHtml, 'x') + "<p>never shown</p>";
  const std::string text = mail::HtmlToPlainText(html);
  EXPECT_TRUE(text.starts_with("start\r\n\r\nxxx"));
  EXPECT_EQ(text.find("never"), std::string::npos);
}

TEST(CharsetNamedInHtml, ReadsTheMetaTagsOfThePage) {
  EXPECT_EQ(mail::CharsetNamedInHtml("<html><head><META charset=\"KOI8-R\"></head>"), "KOI8-R");
  EXPECT_EQ(mail::CharsetNamedInHtml(
                "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\"><p>charset=x"),
            "windows-1251");
  EXPECT_EQ(mail::CharsetNamedInHtml("<p>charset=utf-8</p><meta name=\"x\">"), "");
  EXPECT_EQ(mail::CharsetNamedInHtml(""), "");
}

}  // namespace
