// The desktop's MIME database: file extensions to content types and back.
// Texts are Windows-1251, like everything the mail library handles.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

class MimeDatabase {
 public:
  virtual ~MimeDatabase() = default;

  // The content type for an extension with its dot (".doc"); empty when unknown.
  virtual std::string ContentTypeOfExtension(const std::string& extension) const = 0;

  // The usual extension, dot included, for a content type in any letter case; empty when unknown.
  virtual std::string ExtensionOfContentType(const std::string& contentType) const = 0;

  // Every content type a file name's patterns give; by default the type of
  // its last extension, when known.
  virtual std::vector<std::string> ContentTypesOfName(const std::string& fileName) const {
    const std::size_t dot = fileName.rfind('.');
    const std::string type = dot == std::string::npos ? std::string() : ContentTypeOfExtension(fileName.substr(dot));
    return type.empty() ? std::vector<std::string>() : std::vector<std::string>{type};
  }
  // The content type a file's first bytes show; empty when they show none.
  virtual std::string ContentTypeOfData(std::string_view /*data*/) const { return {}; }
  // True when content type `type` is `parent` or, by the database, a kind of it.
  virtual bool Inherits(const std::string& type, const std::string& parent) const { return type == parent; }
};

}  // namespace platform
