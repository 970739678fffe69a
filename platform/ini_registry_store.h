// The registry store as one INI file per key path: "Software\tessaro" below
// the base folder is Software/tessaro.ini, a section is "[Name]" and a value
// "Name=value". Printable ASCII stands as written; every other byte, and what
// would break a line's syntax ("=", blanks at either end, ";", "#" or "[" at
// the start), is written as \xHH and a backslash as \\, so every byte string
// comes back exactly. Section and value names compare without regard to
// ASCII letter case, as registry names do.
//
// The file is read when the store opens, and a file found with a looser mode
// is set to 0600 then. Every change replaces it at once and
// atomically (a temporary file beside it, fsync, rename), with mode 0600; the
// folders are created (0700) when missing. A change that would store nothing
// new leaves the file alone. A file that exists but cannot be read gives the
// defaults and refuses every change, so it is never replaced by a partial copy.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/registry_store.h"

namespace platform {

class IniRegistryStore : public RegistryStore {
 public:
  // `keyPath` is Windows-1251 text with "\" between its parts (empty parts
  // are skipped); raises RegistryError when it has no part, or a part is "."
  // or ".." or holds a "/" or a zero byte.
  IniRegistryStore(std::string baseFolder, const std::string& keyPath);

  // ${XDG_CONFIG_HOME:-~/.config}; a relative XDG_CONFIG_HOME is ignored, as
  // the XDG base directory rules ask.
  static std::string DefaultBaseFolder();

  const std::string& FilePath() const { return filePath_; }

  std::string ReadString(std::string_view section, std::string_view name, std::string_view defaultValue) const override;
  void WriteString(std::string_view section, std::string_view name, std::string_view value) override;
  void DeleteValue(std::string_view section, std::string_view name) override;

  struct Section {
    std::string name;
    std::vector<std::pair<std::string, std::string>> values;  // name, value
  };

 private:
  // Replaces the file with `sections`, or raises RegistryError(errorText).
  void Store(std::vector<Section> sections, const std::string& errorText);

  std::string folder_;
  std::string filePath_;
  std::vector<Section> sections_;
  bool unreadable_ = false;
};

// Opens key paths as INI files below `baseFolder`.
RegistryOpener IniRegistryOpener(std::string baseFolder = IniRegistryStore::DefaultBaseFolder());

}  // namespace platform
