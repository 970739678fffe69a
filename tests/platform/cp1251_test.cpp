#include "platform/cp1251.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

namespace {

using text::operator""_cp1251;

// glibc's own converter, as an independent oracle for the code page.
std::string Iconv(const char* to, const char* from, const std::string& input) {
  iconv_t cd = ::iconv_open(to, from);
  EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1));
  std::string in = input;
  std::string out(input.size() * 4 + 4, '\0');
  char* inPtr = in.data();
  char* outPtr = out.data();
  size_t inLeft = in.size();
  size_t outLeft = out.size();
  const size_t result = ::iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
  ::iconv_close(cd);
  if (result == static_cast<size_t>(-1)) return "<no conversion>";
  out.resize(out.size() - outLeft);
  return out;
}

TEST(Cp1251, EveryDefinedByteMatchesGlibc) {
  for (int byte = 1; byte < 256; ++byte) {
    if (byte == 0x98) continue;  // undefined in the code page
    const std::string one(1, static_cast<char>(byte));
    EXPECT_EQ(text::Cp1251ToUtf8(one), Iconv("UTF-8", "CP1251", one)) << "byte " << byte;
  }
}

TEST(Cp1251, EveryByteRoundTripsThroughUtf8) {
  std::string all;
  for (int byte = 1; byte < 256; ++byte) all += static_cast<char>(byte);
  EXPECT_EQ(text::Utf8ToCp1251(text::Cp1251ToUtf8(all)), all);
}

TEST(Cp1251, UnrepresentableAndMalformedUtf8BecomeQuestionMarks) {
  struct Case {
    const char* name;
    std::string utf8;
    std::string cp1251;
  } cases[] = {
      {"chinese", "a\xe4\xb8\xad" "b", "a?b"},
      {"lone continuation byte", "a\x80" "b", "a?b"},
      {"truncated sequence", "\xd0", "?"},
      {"overlong encoding", "\xc0\xaf", "??"},
      {"emoji", "\xf0\x9f\x98\x80", "?"},
  };
  for (const auto& c : cases) EXPECT_EQ(text::Utf8ToCp1251(c.utf8), c.cp1251) << c.name;
}

TEST(Cp1251, LiteralsBecomeWindows1251AtCompileTime) {
  constexpr std::string_view literal = "Нет соединения. Ёё №"_cp1251;
  EXPECT_EQ(std::string(literal), Iconv("CP1251", "UTF-8", "Нет соединения. Ёё №"));
  static_assert("Ая"_cp1251 == std::string_view("\xC0\xFF"));
}

}  // namespace
