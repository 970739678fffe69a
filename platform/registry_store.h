// The per-user registry: one open key path ("Software\tessaro") whose sections
// hold named string values. Names and values are Windows-1251 text. Integers
// are stored as decimal text and Booleans as "1" and "0", so every value reads
// back as a string too.
#pragma once

#include <charconv>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace platform {

// A section or a value that could not be stored: "Ошибка создания ключа TMainForm",
// "Ошибка записи значения для 'Count'" (Windows-1251 text).
class RegistryError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Decimal text with an optional sign as a 32-bit integer; anything else,
// blanks included, gives the default.
inline int ParseInteger(std::string_view text, int defaultValue) {
  if (text.size() > 1 && text.front() == '+' && text[1] != '-') text.remove_prefix(1);
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return text.empty() || error != std::errc() || end != text.data() + text.size() ? defaultValue : value;
}

class RegistryStore {
 public:
  virtual ~RegistryStore() = default;

  // A missing value (or section) reads as `defaultValue`.
  virtual std::string ReadString(std::string_view section, std::string_view name,
                                 std::string_view defaultValue) const = 0;
  // Creates the section when it is missing. Raises RegistryError when the
  // value cannot be stored; the store then holds what it held before.
  virtual void WriteString(std::string_view section, std::string_view name, std::string_view value) = 0;
  // Removes the value when it exists; otherwise nothing happens. Raises
  // RegistryError when the removal cannot be stored.
  virtual void DeleteValue(std::string_view section, std::string_view name) = 0;

  // The default when the value is missing or is not a decimal 32-bit integer.
  int ReadInteger(std::string_view section, std::string_view name, int defaultValue) const {
    return ParseInteger(ReadString(section, name, {}), defaultValue);
  }

  void WriteInteger(std::string_view section, std::string_view name, int value) {
    WriteString(section, name, std::to_string(value));
  }

  // True for every integer but 0; the default when the value is not an integer.
  bool ReadBool(std::string_view section, std::string_view name, bool defaultValue) const {
    return ReadInteger(section, name, defaultValue ? 1 : 0) != 0;
  }

  void WriteBool(std::string_view section, std::string_view name, bool value) {
    WriteString(section, name, value ? "1" : "0");
  }
};

// Opens a key path such as "Software\tessaro" with full access. The key itself
// comes into being with its first written value.
using RegistryOpener = std::function<std::unique_ptr<RegistryStore>(const std::string& keyPath)>;

}  // namespace platform
