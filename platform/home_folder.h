// The user's home folder, where the per-user folders default to.
#pragma once

#include <string>

namespace platform {

// $HOME when set, else the home folder in the user database; empty when neither is known.
std::string HomeFolder();

}  // namespace platform
