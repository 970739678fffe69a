#include "app/notice/sound_player.h"

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

#include "tests/support/qt_environment.h"

namespace {

using app::SoundClip;
using app::SoundPlayer;

struct RefusalCase {
  const char* name;
  SoundClip clip;
  bool hasAudioOutput;
  bool accepted;
};

void PrintTo(const RefusalCase& c, std::ostream* out) { *out << c.name; }

const RefusalCase kRefusalCases[] = {
    {"NewMailWithoutOutputIsRefused", SoundClip::NewMail, false, false},
    {"CheckStartWithoutOutputIsRefused", SoundClip::CheckStart, false, false},
    {"NewMailWithOutputStarts", SoundClip::NewMail, true, true},
    {"CheckStartWithOutputStarts", SoundClip::CheckStart, true, true},
};

class SoundPlayerRefusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(SoundPlayerRefusal, RequestIsRefusedExactlyWhenThereIsNoOutput) {
  const RefusalCase& c = GetParam();
  SoundPlayer player([&] { return c.hasAudioOutput; });
  EXPECT_EQ(player.Play(c.clip), c.accepted);
  // A refused clip is not started at all; an accepted one is under way.
  EXPECT_EQ(player.IsPlaying(c.clip), c.accepted);
}

INSTANTIATE_TEST_SUITE_P(Clips, SoundPlayerRefusal, ::testing::ValuesIn(kRefusalCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SoundPlayer, AsksForAnOutputAtEveryRequest) {
  std::vector<bool> answers = {true, false, true};
  std::size_t asked = 0;
  SoundPlayer player([&] { return answers.at(asked++); });
  EXPECT_TRUE(player.Play(SoundClip::NewMail));
  EXPECT_FALSE(player.Play(SoundClip::NewMail));
  EXPECT_TRUE(player.Play(SoundClip::NewMail));
  EXPECT_EQ(asked, answers.size());
}

TEST(SoundPlayer, OnlyTheRequestedClipStarts) {
  SoundPlayer player([] { return true; });
  ASSERT_TRUE(player.Play(SoundClip::CheckStart));
  EXPECT_TRUE(player.IsPlaying(SoundClip::CheckStart));
  EXPECT_FALSE(player.IsPlaying(SoundClip::NewMail));
}

}  // namespace
