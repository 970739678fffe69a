#include "app/attachments/runnable_files.h"

#include <algorithm>
#include <iterator>
#include <cctype>
#include <string>
#include <string_view>
#include <vector>

namespace app {

namespace {

// Types an opener starts rather than shows, and the roots of their kinds.
constexpr std::string_view kRunnableTypes[] = {
    "application/x-executable",        "application/x-sharedlib",         "application/x-pie-executable",
    "application/x-shellscript",       "text/x-script",                   "application/x-desktop",
    "application/x-ms-dos-executable", "application/x-msdownload",        "application/x-msi",
    "application/x-ms-shortcut",       "application/vnd.microsoft.portable-executable",
    "application/java-archive",        "application/x-java-archive",      "application/x-java-jnlp-file",
    "application/x-perl",              "application/x-python",            "text/x-python",
    "application/x-ruby",              "application/vnd.appimage",        "application/x-bat",
};

// Extensions of programs and scripts, whatever a database says of them.
constexpr std::string_view kRunnableExtensions[] = {
    ".desktop", ".sh",  ".bash", ".csh", ".zsh", ".ksh", ".run", ".appimage", ".exe", ".com", ".scr",
    ".pif",     ".bat", ".cmd",  ".msi", ".lnk", ".jar", ".jnlp", ".py", ".pl",       ".rb",  ".vbs", ".ps1",
};

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

// The last extension, lower case, of the name with blanks and dots at its end
// let go (a desktop may drop them, and they hide the real extension).
std::string LastExtension(const std::string& fileName) {
  const std::size_t end = fileName.find_last_not_of(" .\t");
  if (end == std::string::npos) return {};
  const std::string name = fileName.substr(0, end + 1);
  const std::size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : Lower(name.substr(dot));
}

bool IsRunnableType(const std::string& type, const platform::MimeDatabase* types) {
  const std::string lower = Lower(type);
  return std::ranges::any_of(kRunnableTypes, [&](std::string_view runnable) {
    return lower == runnable || (types && types->Inherits(lower, std::string(runnable)));
  });
}

}  // namespace

bool RunsWhenOpened(const mail::TAttachedFile& file, const platform::MimeDatabase* types) {
  const std::string extension = LastExtension(file.FileName);
  if (std::ranges::find(kRunnableExtensions, extension) != std::end(kRunnableExtensions)) return true;
  std::vector<std::string> candidates = {file.ContentType};
  if (types) {
    for (std::string& type : types->ContentTypesOfName(file.FileName)) candidates.push_back(std::move(type));
    if (file.Data) candidates.push_back(types->ContentTypeOfData(std::string_view(*file.Data).substr(0, 4096)));
  }
  return std::any_of(candidates.begin(), candidates.end(),
                     [&](const std::string& type) { return !type.empty() && IsRunnableType(type, types); });
}

}  // namespace app
