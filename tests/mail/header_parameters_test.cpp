// Parameters of structured header fields, RFC 2045 and RFC 2231 alike.
#include "mail/header_parameters.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

using mail::FindParameter;

TEST(FindParameter, ReadsPlainQuotedAndSpacedValues) {
  struct Case {
    const char* name;
    const char* field;
    const char* parameter;
    std::optional<std::string> value;
  } cases[] = {
      {"a token", "text/plain; charset=koi8-r", "charset", "koi8-r"},
      {"any letter case", "text/plain; CharSet=koi8-r", "CHARSET", "koi8-r"},
      {"a quoted value keeps its blanks and semicolons", "a/b; name=\"x; y .txt\"", "name", "x; y .txt"},
      {"blanks around the equals sign", "a/b; name = \"v\" ; other=w", "name", "v"},
      {"an escaped quote", R"(a/b; name="say \"hi\"")", "name", "say \"hi\""},
      {"a backslash that escapes nothing stays", R"(a/b; name="C:\dir\f.txt")", "name", R"(C:\dir\f.txt)"},
      {"a quote never closed runs to the end", "a/b; name=\"open", "name", "open"},
      {"an unquoted value runs to the semicolon", "a/b; name=my file.doc; size=3", "name", "my file.doc"},
      {"no semicolon before it", "multipart/mixed boundary=b1", "boundary", "b1"},
      {"not a prefix of another name", "a/b; filename=f.txt", "name", std::nullopt},
      {"a value never taken for a name", "a/b; x=\"name=no\"", "name", std::nullopt},
      {"the first of two", "a/b; name=one; name=two", "name", "one"},
      {"absent", "a/b", "name", std::nullopt},
  };
  for (const Case& c : cases) {
    const auto found = FindParameter(c.field, c.parameter);
    EXPECT_EQ(found ? std::optional(found->text) : std::nullopt, c.value) << c.name;
    if (found) {
      EXPECT_FALSE(found->charset) << c.name;
    }
  }
}

TEST(FindParameter, JoinsAndDecodesRfc2231Values) {
  struct Case {
    const char* name;
    const char* field;
    std::string text;
    std::optional<std::string> charset;
  } cases[] = {
      {"an extended value", "a/b; filename*=UTF-8''%D1%84%D0%B0%D0%B9%D0%BB.txt",
       "\xD1\x84\xD0\xB0\xD0\xB9\xD0\xBB.txt",
       "UTF-8"},
      {"a language is dropped", "a/b; filename*=iso-8859-1'en'caf%E9", "caf\xE9", "iso-8859-1"},
      {"continuations in number order", "a/b; filename*1=\"two\"; filename*0=\"one \"", "one two", std::nullopt},
      {"encoded and plain continuations", "a/b; filename*0*=UTF-8''a%20b; filename*1=\"%20c\"", "a b%20c", "UTF-8"},
      {"preferred to the plain value", "a/b; filename=\"old.txt\"; filename*=UTF-8''new.txt", "new.txt", "UTF-8"},
      {"a gap ends the continuations", "a/b; filename*0=a; filename*2=c", "a", std::nullopt},
      {"no charset marks", "a/b; filename*=plain%41", "plainA", ""},
      {"a bad escape stays", "a/b; filename*=UTF-8''100%zz", "100%zz", "UTF-8"},
  };
  for (const Case& c : cases) {
    const auto found = FindParameter(c.field, "filename");
    ASSERT_TRUE(found) << c.name;
    EXPECT_EQ(found->text, c.text) << c.name;
    EXPECT_EQ(found->charset, c.charset) << c.name;
  }
}

TEST(FindTokenParameter, AnUnquotedTokenEndsAtItsFirstBlank) {
  EXPECT_EQ(mail::FindTokenParameter("a/b; boundary=abc (comment)", "boundary"), "abc");
  EXPECT_EQ(mail::FindTokenParameter("a/b; boundary=\"abc def\"", "boundary"), "abc def");
}

}  // namespace
