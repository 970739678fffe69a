#include "platform/private_temp_folder.h"

#include "platform/private_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <system_error>

namespace platform {

namespace {

std::filesystem::path FreshFolder(const std::filesystem::path& name) {
  std::string pattern = name.native() + "-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr)
    throw std::filesystem::filesystem_error("mkdtemp", name, std::error_code(errno, std::generic_category()));
  return pattern;
}

}  // namespace

std::filesystem::path PrivateTempFolder(const std::filesystem::path& temp) {
  const std::filesystem::path folder = temp / ("tessaro-" + std::to_string(::getuid()));
  if (::mkdir(folder.c_str(), 0700) == 0 || IsOurPrivateFolder(folder)) return folder;
  return FreshFolder(folder);
}

}  // namespace platform
