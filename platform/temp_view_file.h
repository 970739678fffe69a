// The files that viewing an attached file puts in the temporary folder: an
// empty placeholder "msg" + a unique part + ".tmp", and beside it the view
// file, the same name with the attached file's own extension.
#pragma once

#include <filesystem>
#include <string>

namespace platform {

struct NewViewFile {
  std::filesystem::path Placeholder;
  std::filesystem::path View;
  int Descriptor;  // the view file, open for writing; the caller closes it
};

// Creates both files, readable by their owner only, the view file new and
// directly inside `folder` whatever `extension` (dot included, or empty)
// holds. Raises std::filesystem::filesystem_error, leaving nothing behind,
// when it cannot.
NewViewFile CreateViewFile(const std::filesystem::path& folder, const std::string& extension);

}  // namespace platform
