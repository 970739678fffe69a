// A MIME database that knows only the pairs a test gives it, and records which
// extensions it was asked about.
#pragma once

#include <algorithm>
#include <cctype>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/mime_database.h"

namespace testsupport {

class FakeMimeDatabase : public platform::MimeDatabase {
 public:
  // Pairs of an extension with its dot and its content type in lower case.
  explicit FakeMimeDatabase(std::map<std::string, std::string> types = {}) : types_(std::move(types)) {}

  mutable std::vector<std::string> ExtensionsAsked;

  std::string ContentTypeOfExtension(const std::string& extension) const override {
    ExtensionsAsked.push_back(extension);
    const auto found = types_.find(extension);
    return found == types_.end() ? std::string() : found->second;
  }

  std::string ExtensionOfContentType(const std::string& contentType) const override {
    std::string lower = contentType;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    for (const auto& [extension, type] : types_)
      if (type == lower) return extension;
    return {};
  }

 private:
  std::map<std::string, std::string> types_;
};

}  // namespace testsupport
