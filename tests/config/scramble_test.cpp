#include "config/scramble.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "platform/cp1251.h"

namespace {

using config::ScrambleText;
using config::UnscrambleText;
using text::operator""_cp1251;

// Worked by hand from the formula (x = p XOR high byte of the key; then
// key := ((key + x) * 52845 + 22719) mod 65536):
//   key0 = 30571 = 0x776B, mask 0x77.
//   "A":  0x41 ^ 0x77 = 0x36.
//   key1 after 0x36 = (30625 * 52845 + 22719) mod 65536 = 1618400844 mod 65536 = 54860 = 0xD64C, mask 0xD6.
//   "AB": then 0x42 ^ 0xD6 = 0x94.
//   "AЧ": then 0xD7 ^ 0xD6 = 0x01, written 0x01 0x02.
//   "w":  0x77 ^ 0x77 = 0x00, written 0x01 0x01.
//   "v":  0x76 ^ 0x77 = 0x01, written 0x01 0x02.
//   key1 after 0x00 = (30571 * 52845 + 22719) mod 65536 = 1615547214 mod 65536 = 19278 = 0x4B4E, mask 0x4B:
//   "wA": then 0x41 ^ 0x4B = 0x0A (the key follows the scrambled 0, not its escape).
//   "Ч":  0xD7 ^ 0x77 = 0xA0.
TEST(Scramble, KnownStringsGiveTheBytesWorkedOutByHand) {
  struct Case {
    const char* name;
    std::string plain;
    std::string scrambled;
  } cases[] = {
      {"empty", "", ""},
      {"one letter", "A", "\x36"},
      {"two letters", "AB", "\x36\x94"},
      {"second byte scrambles to 1", std::string("AЧ"_cp1251), "\x36\x01\x02"},
      {"scrambles to 0", "w", "\x01\x01"},
      {"scrambles to 1", "v", "\x01\x02"},
      {"after an escaped 0", "wA", std::string("\x01\x01\x0A", 3)},
      {"cyrillic", std::string("Ч"_cp1251), "\xA0"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ScrambleText(c.plain), c.scrambled) << c.name;
    EXPECT_EQ(UnscrambleText(c.scrambled), c.plain) << c.name;
  }
}

TEST(Scramble, EveryByteStringComesBackAndNoScrambledStringHoldsAZeroByte) {
  std::vector<std::string> inputs;
  std::string everyByte;
  for (int byte = 0; byte < 256; ++byte) {
    inputs.emplace_back(1, static_cast<char>(byte));
    everyByte += static_cast<char>(byte);
  }
  inputs.push_back(everyByte);
  inputs.emplace_back(everyByte.rbegin(), everyByte.rend());
  std::mt19937 random(1251);
  for (int i = 0; i < 2000; ++i) {
    std::string text(random() % 40, '\0');
    for (char& c : text) c = static_cast<char>(random() % 256);
    inputs.push_back(text);
  }
  for (const std::string& input : inputs) {
    const std::string scrambled = ScrambleText(input);
    EXPECT_EQ(scrambled.find('\0'), std::string::npos);
    EXPECT_EQ(UnscrambleText(scrambled), input);
  }
}

// Each byte is chosen so that it scrambles to 0 or 1 in its place; since a
// prefix scrambles to a prefix, the byte is found by trying all 256.
TEST(Scramble, StringsOfOnlyEscapedBytesComeBack) {
  std::string plain;
  for (int i = 0; i < 64; ++i) {
    const std::string escape = i % 3 == 0 ? std::string("\x01\x02") : std::string("\x01\x01");
    const std::string before = ScrambleText(plain);
    for (int byte = 0; byte < 256; ++byte) {
      if (ScrambleText(plain + static_cast<char>(byte)) == before + escape) {
        plain += static_cast<char>(byte);
        break;
      }
    }
    ASSERT_EQ(plain.size(), static_cast<std::size_t>(i + 1)) << "no byte scrambles to an escape at " << i;
  }
  const std::string scrambled = ScrambleText(plain);
  EXPECT_EQ(scrambled.size(), 2 * plain.size());
  EXPECT_EQ(scrambled.find('\0'), std::string::npos);
  EXPECT_EQ(UnscrambleText(scrambled), plain);
}

TEST(Scramble, UnscrambleReadsEveryEscapeAsZeroOrOne) {
  struct Case {
    const char* name;
    std::string scrambled;
    std::string plain;
  } cases[] = {
      {"escape at the very end", "\x01", "v"},
      {"escape with another second byte", "\x01\x05", "v"},
      {"escape then more", std::string("\x01\x01\x0A", 3), "wA"},
      {"a raw zero byte", std::string(1, '\0'), "w"},
  };
  for (const auto& c : cases) EXPECT_EQ(UnscrambleText(c.scrambled), c.plain) << c.name;
}

}  // namespace
