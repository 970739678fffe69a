// The check of stored content finds the damage a torn write or a flipped bit
// makes, wherever in the text it falls.
#include "platform/content_check.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Texts of every length around the steps of four and of one lane.
std::string TextOf(std::size_t size) {
  std::string text(size, '\0');
  for (std::size_t i = 0; i < size; ++i) text[i] = static_cast<char>('a' + i * 7 % 26);
  return text;
}

TEST(ContentCheck, AnyFlippedBitChangesTheCheck) {
  for (std::size_t size = 1; size <= 70; ++size) {
    const std::string text = TextOf(size);
    const std::uint64_t check = platform::ContentCheck(text);
    for (std::size_t at = 0; at < size; ++at)
      for (int bit = 0; bit < 8; ++bit) {
        std::string damaged = text;
        damaged[at] = static_cast<char>(damaged[at] ^ (1 << bit));
        EXPECT_NE(platform::ContentCheck(damaged), check) << "size " << size << ", byte " << at << ", bit " << bit;
      }
  }
}

TEST(ContentCheck, ACutOrALongerTextChangesTheCheck) {
  for (std::size_t size = 0; size <= 70; ++size) {
    const std::string text = TextOf(size);
    EXPECT_NE(platform::ContentCheck(text + '\0'), platform::ContentCheck(text)) << size;
    if (size > 0) {
      EXPECT_NE(platform::ContentCheck(text.substr(0, size - 1)), platform::ContentCheck(text)) << size;
    }
  }
}

TEST(ContentCheck, TheSeedTakesPart) {
  EXPECT_NE(platform::ContentCheck("text", 1), platform::ContentCheck("text", 2));
  EXPECT_EQ(platform::ContentCheck("text", 7), platform::ContentCheck("text", 7));
}

}  // namespace
