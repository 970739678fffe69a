#include "platform/lock_folder.h"

#include <cstdlib>

#include "platform/home_folder.h"
#include "platform/private_files.h"

namespace platform {

std::optional<std::string> LockFolder(const std::string& runtime, const std::string& fallback) {
  if (runtime.starts_with('/') && IsOurPrivateFolder(runtime)) return runtime;
  if (fallback.starts_with('/') && CreatePrivateFolders(fallback) && IsOurPrivateFolder(fallback)) return fallback;
  return std::nullopt;
}

std::optional<std::string> DefaultLockFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  return LockFolder(runtime ? runtime : "", XdgFolder("XDG_STATE_HOME", ".local/state", "tessaro"));
}

}  // namespace platform
