// The MIME fixtures of tests/data/mime: each message (.eml) beside the
// summary tessaro-check must print for it (.json).
#pragma once

#include <algorithm>
#include <filesystem>
#include <vector>

namespace testsupport {

// Every fixture message, in the order of their names.
inline std::vector<std::filesystem::path> MimeFixtures() {
  std::vector<std::filesystem::path> paths;
  for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(TEST_DATA_DIR) / "mime"))
    if (entry.path().extension() == ".eml") paths.push_back(entry.path());
  std::sort(paths.begin(), paths.end());
  return paths;
}

}  // namespace testsupport
