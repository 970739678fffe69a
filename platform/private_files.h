// Files only their owner may read, such as the settings with the scrambled
// passwords and the records of seen mail, replaced whole so that a crash
// never leaves half a file.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Creates `folder` and its missing parents like "mkdir -p", each new one 0700;
// folders that exist already keep their mode.
bool CreatePrivateFolders(const std::string& folder);

// Writes `data` to a 0600 file beside `path`, syncs it and renames it over
// `path`; the old file stays whole until the rename. False when any step
// failed, and the temporary file is then gone. Without `sync` the file is
// still whole or absent after the program is killed (the rename is atomic),
// but a crash of the system may leave it torn: for files that carry a check
// of their own.
bool ReplacePrivateFile(const std::string& path, std::string_view data, bool sync = true);

// True when `folder` is a folder (not a link to one) of this user's that no
// one else may enter, read or write.
bool IsOurPrivateFolder(const std::string& folder);

// Syncs the folder itself, so that a rename in it lasts; a folder that cannot
// be synced still holds its files.
void SyncFolder(const std::string& folder);

}  // namespace platform
