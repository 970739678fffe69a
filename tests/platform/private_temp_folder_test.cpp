// The folder viewed files go to: made private, kept when it is ours, and
// replaced by a fresh one when anything else stands under its name.
#include "platform/private_temp_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <string>

#include "tests/support/temp_files.h"

namespace {

namespace fs = std::filesystem;

mode_t ModeOf(const fs::path& path) {
  struct stat status;
  EXPECT_EQ(::lstat(path.c_str(), &status), 0);
  return status.st_mode;
}

TEST(PrivateTempFolder, IsMadePrivateAndKeptWhileItIsOurs) {
  testsupport::TempDir temp;
  const fs::path expected = temp.Path() / ("tessaro-" + std::to_string(::getuid()));
  EXPECT_EQ(platform::PrivateTempFolder(temp.Path()), expected);
  EXPECT_TRUE(S_ISDIR(ModeOf(expected)));
  EXPECT_EQ(ModeOf(expected) & 0777, 0700u);
  std::ofstream(expected / "kept") << "x";
  EXPECT_EQ(platform::PrivateTempFolder(temp.Path()), expected);
  EXPECT_TRUE(fs::exists(expected / "kept"));
}

struct Squatter {
  const char* what;
  std::function<void(const fs::path& name, const fs::path& temp)> plant;
};

class TakenName : public testing::TestWithParam<Squatter> {};

TEST_P(TakenName, GivesAFreshPrivateFolderAndLeavesTheNameAlone) {
  testsupport::TempDir temp;
  const fs::path name = temp.Path() / ("tessaro-" + std::to_string(::getuid()));
  GetParam().plant(name, temp.Path());
  const mode_t before = ModeOf(name);

  const fs::path folder = platform::PrivateTempFolder(temp.Path());
  EXPECT_NE(folder, name);
  EXPECT_EQ(folder.parent_path(), temp.Path());
  EXPECT_TRUE(S_ISDIR(ModeOf(folder)));
  EXPECT_EQ(ModeOf(folder) & 0777, 0700u);
  EXPECT_EQ(ModeOf(name), before);
}

INSTANTIATE_TEST_SUITE_P(
    Squatters, TakenName,
    testing::Values(
        Squatter{"a file", [](const fs::path& name, const fs::path&) { std::ofstream(name) << "x"; }},
        Squatter{"a folder others may enter",
                 [](const fs::path& name, const fs::path&) {
                   fs::create_directory(name);
                   fs::permissions(name, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
                 }},
        Squatter{"a link to a private folder",
                 [](const fs::path& name, const fs::path& temp) {
                   fs::create_directory(temp / "elsewhere");
                   fs::permissions(temp / "elsewhere", fs::perms::owner_all);
                   fs::create_directory_symlink(temp / "elsewhere", name);
                 }}),
    [](const testing::TestParamInfo<Squatter>& info) {
      std::string name = info.param.what;
      for (char& c : name)
        if (c == ' ') c = '_';
      return name;
    });

}  // namespace
