#include "platform/temp_view_file.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>
#include <system_error>

namespace platform {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kPattern = "msgXXXXXX.tmp";
constexpr int kSuffixLength = 4;  // ".tmp"
// Each attempt makes a fresh unique name; only a crowded or hostile folder needs more than one.
constexpr int kAttempts = 100;

[[noreturn]] void Raise(const char* what, const fs::path& path, int error) {
  throw fs::filesystem_error(what, path, std::error_code(error, std::generic_category()));
}

struct Placeholder {
  fs::path Path;
  int Descriptor;
};

Placeholder CreatePlaceholder(const fs::path& folder) {
  std::string pattern = (folder / kPattern).string();
  const int descriptor = ::mkostemps(pattern.data(), kSuffixLength, O_CLOEXEC);
  if (descriptor < 0) Raise("cannot create a temporary file", folder, errno);
  return {fs::path(pattern), descriptor};
}

void Discard(const Placeholder& placeholder) {
  ::close(placeholder.Descriptor);
  ::unlink(placeholder.Path.c_str());
}

}  // namespace

NewViewFile CreateViewFile(const fs::path& folder, const std::string& extension) {
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    const Placeholder placeholder = CreatePlaceholder(folder);
    fs::path view = placeholder.Path;
    view.replace_extension(extension);
    if (view.parent_path() != placeholder.Path.parent_path()) {
      Discard(placeholder);
      Raise("the view file would lie outside the temporary folder", view, EINVAL);
    }
    // An attached "*.tmp" file is viewed in its own placeholder.
    if (view == placeholder.Path) return {placeholder.Path, view, placeholder.Descriptor};
    ::close(placeholder.Descriptor);
    // Only a file made here and now: a name that someone else made first may
    // be a link to anywhere.
    const int descriptor = ::open(view.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (descriptor >= 0) return {placeholder.Path, view, descriptor};
    const int error = errno;
    ::unlink(placeholder.Path.c_str());
    if (error != EEXIST) Raise("cannot create the file", view, error);
  }
  Raise("cannot create the file", folder, EEXIST);
}

}  // namespace platform
