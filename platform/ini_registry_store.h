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
//
// Inside a batch the changes are held in memory and replace the file once, at
// the commit, with the same text as one change after the other would give. A
// commit that fails raises the error the first held-back change would have
// raised on its own, and leaves the old file whole.
#pragma once

#include <functional>
#include <optional>
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

  void BeginBatch() override;
  void CommitBatch() override;
  void AbandonBatch() override;

  // How often this store has replaced its file.
  int FileReplacements() const { return fileReplacements_; }

  struct Section {
    std::string name;
    std::vector<std::pair<std::string, std::string>> values;  // name, value
  };

 private:
  using SectionsChange = std::function<void(std::vector<Section>& sections)>;

  struct Batch {
    std::vector<Section> stored;  // what the file holds
    std::string errorText;        // the first held-back change's; empty while there is none
  };

  // Stores `change` at once, or holds it back inside a batch; raises
  // RegistryError(errorText) when it cannot be stored.
  void Change(std::string errorText, const SectionsChange& change);
  // Replaces the file with `sections`, or raises RegistryError(errorText).
  void Store(std::vector<Section> sections, const std::string& errorText);

  std::string folder_;
  std::string filePath_;
  std::vector<Section> sections_;  // what reads see, held-back changes included
  std::optional<Batch> batch_;
  bool unreadable_ = false;
  int fileReplacements_ = 0;
};

// Opens key paths as INI files below `baseFolder`.
RegistryOpener IniRegistryOpener(std::string baseFolder = IniRegistryStore::DefaultBaseFolder());

}  // namespace platform
