// The folder inside the temporary folder where viewed attached files go: one
// per user, that only this user can enter, so no other user can read a viewed
// file or plant one under its name.
#pragma once

#include <filesystem>

namespace platform {

// `temp`/tessaro-<uid>, created with mode 0700 when missing. When that name is
// taken by anything but a real folder of this user's that nobody else may
// enter (a file, a link, another user's folder, looser permissions), a fresh
// folder `temp`/tessaro-<uid>-XXXXXX is made instead. Raises
// std::filesystem::filesystem_error when no folder can be had.
std::filesystem::path PrivateTempFolder(const std::filesystem::path& temp);

}  // namespace platform
