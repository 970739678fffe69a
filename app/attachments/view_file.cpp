#include "app/attachments/attachment_commands.h"

#include <system_error>

namespace app {

bool TViewFile::TryDelete() {
  namespace fs = std::filesystem;
  std::error_code error;
  if (fs::symlink_status(Path, error).type() == fs::file_type::not_found) return true;
  // A file that cannot go now (its viewer may still hold it) is tried again later.
  fs::remove(Path, error);
  if (error) return false;
  fs::path placeholder = Path;
  placeholder.replace_extension(".tmp");
  fs::remove(placeholder, error);
  return true;
}

}  // namespace app
