#include "mail/lines.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <string_view>

namespace {

using ::testing::ElementsAre;

TEST(Lines, LinesReadBackAsTheyWereAdded) {
  mail::Lines lines = {"one", "", "three"};
  lines.push_back("four");
  EXPECT_THAT(lines, ElementsAre("one", "", "three", "four"));
  EXPECT_EQ(lines.ByteSize(), 12u);
  EXPECT_EQ(lines.BytesBefore(2), 3u);
  EXPECT_EQ(lines.BytesBefore(4), 12u);
  lines.pop_back();
  lines.Append({"x", "y"});
  EXPECT_EQ(lines, (mail::Lines{"one", "", "three", "x", "y"}));
  EXPECT_EQ(lines.back(), "y");
}

TEST(Lines, KeepSliceAndViewsTakeTheSameRanges) {
  const mail::Lines all = {"a", "bb", "", "ccc", "d"};
  struct Case {
    std::size_t first, last;
  } cases[] = {{0, 5}, {1, 4}, {2, 2}, {0, 0}, {4, 5}};
  for (const Case& c : cases) {
    mail::Lines kept = all;
    kept.Keep(c.first, c.last);
    EXPECT_EQ(kept, all.Slice(c.first, c.last)) << c.first << " " << c.last;
    const mail::LinesView view = mail::LinesView(all).Sub(c.first, c.last);
    ASSERT_EQ(view.size(), kept.size());
    EXPECT_EQ(view.ByteSize(), kept.ByteSize());
    for (std::size_t i = 0; i < view.size(); ++i) EXPECT_EQ(view[i], kept[i]);
  }
}

// Dropping lines and shortening their fronts in one walk leaves every other byte where it belongs.
TEST(Lines, CompactDropsAndShortensLines) {
  mail::Lines lines = {"..a", "drop", ".", "..", "keep", "drop"};
  lines.Compact([](std::size_t, std::string_view line) -> std::optional<std::string_view> {
    if (line == "drop") return std::nullopt;
    if (line.size() > 1 && line[0] == '.') line.remove_prefix(1);
    return line;
  });
  EXPECT_THAT(lines, ElementsAre(".a", ".", ".", "keep"));
  lines.push_back("after");
  EXPECT_THAT(lines, ElementsAre(".a", ".", ".", "keep", "after"));
}

TEST(Lines, CountedLinesAndInPlaceChangesOfBytes) {
  mail::Lines lines(3, "ab");
  for (char& c : lines.MutableBytes()) c = c == 'a' ? 'x' : c;
  EXPECT_THAT(lines, ElementsAre("xb", "xb", "xb"));
  lines.clear();
  EXPECT_TRUE(lines.empty());
  EXPECT_EQ(lines.ByteSize(), 0u);
}

}  // namespace
