// The per-user registry: one open key path ("Software\tessaro") whose sections
// hold named string values. Names and values are Windows-1251 text. Integers
// are stored as decimal text and Booleans as "1" and "0", so every value reads
// back as a string too.
#pragma once

#include <charconv>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "platform/cp1251_error.h"

namespace platform {

// A section or a value that could not be stored: "Ошибка создания ключа TMainForm",
// "Ошибка записи значения для 'Count'" (Windows-1251 text).
class RegistryError : public text::Cp1251Error {
 public:
  using text::Cp1251Error::Cp1251Error;
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

  // A batch: from BeginBatch to CommitBatch or AbandonBatch, what is written
  // and removed reads back at once, but a store with a lasting copy may hold
  // it back and store it all together at CommitBatch, which raises
  // RegistryError when it cannot; the store then holds what it held before
  // the batch. AbandonBatch drops what was held back. Batches do not nest. A
  // store that keeps every change at once has nothing to do for a batch.
  virtual void BeginBatch() {}
  virtual void CommitBatch() {}
  virtual void AbandonBatch() {}
};

// A batch for the life of a scope: Commit (once) stores it; a scope left
// without Commit, by an exception say, abandons it.
class RegistryBatch {
 public:
  explicit RegistryBatch(RegistryStore& store) : store_(&store) { store.BeginBatch(); }
  RegistryBatch(const RegistryBatch&) = delete;
  RegistryBatch& operator=(const RegistryBatch&) = delete;
  ~RegistryBatch() {
    if (store_) store_->AbandonBatch();
  }

  void Commit() { std::exchange(store_, nullptr)->CommitBatch(); }

 private:
  RegistryStore* store_;
};

// Opens a key path such as "Software\tessaro" with full access. The key itself
// comes into being with its first written value.
using RegistryOpener = std::function<std::unique_ptr<RegistryStore>(const std::string& keyPath)>;

}  // namespace platform
