// The user's home folder, where the per-user folders default to.
#pragma once

#include <string>

namespace platform {

// $HOME when set, else the home folder in the user database; empty when neither is known.
std::string HomeFolder();

// The folder an XDG base-directory variable names ("XDG_STATE_HOME") when it
// holds an absolute path, else `fallback` below the home folder
// (".local/state"); then "/" and `below` ("tessaro").
std::string XdgFolder(const char* variable, const std::string& fallback, const std::string& below);

}  // namespace platform
