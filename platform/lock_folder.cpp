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
  const char* state = std::getenv("XDG_STATE_HOME");
  const std::string stateFolder = state && state[0] == '/' ? std::string(state) : HomeFolder() + "/.local/state";
  return LockFolder(runtime ? runtime : "", stateFolder + "/tessaro");
}

}  // namespace platform
