#include "platform/ini_registry_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <stdexcept>
#include <utility>

#include "platform/cp1251.h"
#include "platform/hex_digit.h"
#include "platform/home_folder.h"
#include "platform/private_files.h"

namespace platform {

namespace {

using text::operator""_cp1251;
using Section = IniRegistryStore::Section;

std::string CreateKeyError(std::string_view key) {
  return std::string("Ошибка создания ключа "_cp1251) + std::string(key);
}

std::string WriteValueError(std::string_view name) {
  return std::string("Ошибка записи значения для '"_cp1251) + std::string(name) + "'";
}

bool EqualNames(std::string_view a, std::string_view b) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

template <typename Sections>
auto FindSection(Sections& sections, std::string_view name) -> decltype(&sections.front()) {
  const auto it =
      std::find_if(sections.begin(), sections.end(), [&](const Section& s) { return EqualNames(s.name, name); });
  return it == sections.end() ? nullptr : &*it;
}

template <typename Values>
auto FindValue(Values& values, std::string_view name) -> decltype(values.begin()) {
  return std::find_if(values.begin(), values.end(), [&](const auto& v) { return EqualNames(v.first, name); });
}

// --- Text of the file ---

constexpr char kHex[] = "0123456789ABCDEF";

bool NeedsEscape(unsigned char c, std::size_t i, std::size_t size) {
  if (c < 0x20 || c >= 0x7F || c == '=') return true;
  if (i == 0 && (c == ';' || c == '#' || c == '[')) return true;  // comment or section line
  return c == ' ' && (i == 0 || i + 1 == size);                   // blanks around are trimmed
}

void AppendEscaped(std::string& out, std::string_view field) {
  for (std::size_t i = 0; i < field.size(); ++i) {
    const auto c = static_cast<unsigned char>(field[i]);
    if (c == '\\') {
      out += "\\\\";
    } else if (NeedsEscape(c, i, field.size())) {
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 0xF];
    } else {
      out += static_cast<char>(c);
    }
  }
}

// A backslash that starts neither \\ nor \xHH stands for itself, so a path
// typed in by hand survives.
std::string Unescape(std::string_view field) {
  std::string out;
  out.reserve(field.size());
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 1 < field.size() && field[i + 1] == '\\') {
      out += '\\';
      ++i;
    } else if (field[i] == '\\' && i + 3 < field.size() && field[i + 1] == 'x' && HexDigitValue(field[i + 2]) >= 0 &&
               HexDigitValue(field[i + 3]) >= 0) {
      out += static_cast<char>(HexDigitValue(field[i + 2]) * 16 + HexDigitValue(field[i + 3]));
      i += 3;
    } else {
      out += field[i];
    }
  }
  return out;
}

std::string_view Trim(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

std::string FormatIni(const std::vector<Section>& sections) {
  std::string out;
  for (const Section& section : sections) {
    if (!out.empty()) out += '\n';
    out += '[';
    AppendEscaped(out, section.name);
    out += "]\n";
    for (const auto& [name, value] : section.values) {
      AppendEscaped(out, name);
      out += '=';
      AppendEscaped(out, value);
      out += '\n';
    }
  }
  return out;
}

// Lines before the first section, lines without "=" and comments are skipped;
// of a name given twice the first counts, as with the usual INI readers.
std::vector<Section> ParseIni(std::string_view text) {
  std::vector<Section> sections;
  Section* current = nullptr;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    const std::string_view line = Trim(text.substr(0, end));
    text.remove_prefix(std::min(end + 1, text.size()));
    if (line.empty() || line.front() == ';' || line.front() == '#') continue;
    if (line.front() == '[' && line.back() == ']' && line.size() > 1) {
      const std::string name = Unescape(Trim(line.substr(1, line.size() - 2)));
      current = FindSection(sections, name);
      if (!current) current = &sections.emplace_back(Section{name, {}});
      continue;
    }
    const std::size_t equals = line.find('=');
    if (!current || equals == std::string_view::npos) continue;
    std::string name = Unescape(Trim(line.substr(0, equals)));
    if (FindValue(current->values, name) != current->values.end()) continue;
    current->values.emplace_back(std::move(name), Unescape(Trim(line.substr(equals + 1))));
  }
  return sections;
}

// --- The file system ---

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() { Close(); }
  int Get() const { return fd_; }
  bool Close() {
    const int fd = std::exchange(fd_, -1);
    return fd < 0 || ::close(fd) == 0;
  }

 private:
  int fd_;
};

enum class Loaded { kText, kMissing, kUnreadable };

Loaded ReadFile(const std::string& path, std::string& text) {
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.Get() < 0) return errno == ENOENT || errno == ENOTDIR ? Loaded::kMissing : Loaded::kUnreadable;
  // The file holds the scrambled passwords: a copy restored or edited with a
  // looser mode is closed to others at once, not only at the next change.
  struct stat status;
  if (::fstat(file.Get(), &status) == 0 && S_ISREG(status.st_mode) && (status.st_mode & 0177) != 0)
    ::fchmod(file.Get(), 0600);
  char buffer[4096];
  for (;;) {
    const ssize_t n = ::read(file.Get(), buffer, sizeof buffer);
    if (n == 0) return Loaded::kText;
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Loaded::kUnreadable;
    text.append(buffer, static_cast<std::size_t>(n));
  }
}

std::vector<std::string> KeyParts(const std::string& keyPath) {
  std::vector<std::string> parts;
  for (std::size_t start = 0; start <= keyPath.size();) {
    const std::size_t end = std::min(keyPath.find('\\', start), keyPath.size());
    const std::string part = keyPath.substr(start, end - start);
    start = end + 1;
    if (part.empty()) continue;
    if (part == "." || part == ".." || part.find_first_of(std::string_view("/\0", 2)) != std::string::npos)
      throw RegistryError(CreateKeyError(keyPath));
    parts.push_back(text::Cp1251ToUtf8(part));
  }
  if (parts.empty()) throw RegistryError(CreateKeyError(keyPath));
  return parts;
}

}  // namespace

IniRegistryStore::IniRegistryStore(std::string baseFolder, const std::string& keyPath)
    : folder_(std::move(baseFolder)) {
  const std::vector<std::string> parts = KeyParts(keyPath);
  for (std::size_t i = 0; i + 1 < parts.size(); ++i) folder_ += "/" + parts[i];
  filePath_ = folder_ + "/" + parts.back() + ".ini";
  std::string text;
  const Loaded loaded = ReadFile(filePath_, text);
  unreadable_ = loaded == Loaded::kUnreadable;
  if (loaded == Loaded::kText) sections_ = ParseIni(text);
}

std::string IniRegistryStore::DefaultBaseFolder() {
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/') return xdg;
  return HomeFolder() + "/.config";
}

std::string IniRegistryStore::ReadString(std::string_view section, std::string_view name,
                                         std::string_view defaultValue) const {
  const Section* found = FindSection(sections_, section);
  if (!found) return std::string(defaultValue);
  const auto value = FindValue(found->values, name);
  return value == found->values.end() ? std::string(defaultValue) : value->second;
}

void IniRegistryStore::WriteString(std::string_view section, std::string_view name, std::string_view value) {
  const Section* found = FindSection(sections_, section);
  if (found) {
    const auto old = FindValue(found->values, name);
    if (old != found->values.end() && old->second == value) return;
  }
  Change(found ? WriteValueError(name) : CreateKeyError(section), [&](std::vector<Section>& sections) {
    Section* target = FindSection(sections, section);
    if (!target) target = &sections.emplace_back(Section{std::string(section), {}});
    const auto old = FindValue(target->values, name);
    if (old != target->values.end())
      old->second = value;
    else
      target->values.emplace_back(std::string(name), std::string(value));
  });
}

void IniRegistryStore::DeleteValue(std::string_view section, std::string_view name) {
  const Section* found = FindSection(sections_, section);
  if (!found || FindValue(found->values, name) == found->values.end()) return;
  Change(WriteValueError(name), [&](std::vector<Section>& sections) {
    auto& values = FindSection(sections, section)->values;
    values.erase(FindValue(values, name));
  });
}

void IniRegistryStore::BeginBatch() {
  if (batch_) throw std::logic_error("registry batches do not nest");
  batch_ = Batch{sections_, {}};
}

void IniRegistryStore::CommitBatch() {
  if (!batch_) return;
  Batch batch = std::move(*batch_);
  batch_.reset();
  if (batch.errorText.empty()) return;  // nothing new to store
  std::vector<Section> changed = std::exchange(sections_, std::move(batch.stored));
  Store(std::move(changed), batch.errorText);
}

void IniRegistryStore::AbandonBatch() {
  if (!batch_) return;
  sections_ = std::move(batch_->stored);
  batch_.reset();
}

// An unreadable file refuses a change at once, in a batch too, as no commit
// could ever store it.
void IniRegistryStore::Change(std::string errorText, const SectionsChange& change) {
  if (unreadable_) throw RegistryError(errorText);
  if (batch_) {
    if (batch_->errorText.empty()) batch_->errorText = std::move(errorText);
    change(sections_);
    return;
  }
  std::vector<Section> changed = sections_;
  change(changed);
  Store(std::move(changed), errorText);
}

void IniRegistryStore::Store(std::vector<Section> sections, const std::string& errorText) {
  if (!CreatePrivateFolders(folder_) || !ReplacePrivateFile(filePath_, FormatIni(sections)))
    throw RegistryError(errorText);
  SyncFolder(folder_);
  sections_ = std::move(sections);
  ++fileReplacements_;
}

RegistryOpener IniRegistryOpener(std::string baseFolder) {
  return [baseFolder = std::move(baseFolder)](const std::string& keyPath) -> std::unique_ptr<RegistryStore> {
    return std::make_unique<IniRegistryStore>(baseFolder, keyPath);
  };
}

}  // namespace platform
