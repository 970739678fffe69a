// Where the program's single-instance lock lives: a folder only this user
// may enter, so that no other user can take, move or block the lock, and
// never the folder the program was started from.
#pragma once

#include <optional>
#include <string>

namespace platform {

// `runtime` when it is a private folder of this user's (as XDG_RUNTIME_DIR
// should be); otherwise `fallback`, made 0700 when missing and used only when
// it then is one. Nothing when neither is.
std::optional<std::string> LockFolder(const std::string& runtime, const std::string& fallback);

// LockFolder of $XDG_RUNTIME_DIR and ${XDG_STATE_HOME:-~/.local/state}/tessaro.
std::optional<std::string> DefaultLockFolder();

}  // namespace platform
