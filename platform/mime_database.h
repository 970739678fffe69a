// The desktop's MIME database: file extensions to content types and back.
// Texts are Windows-1251, like everything the mail library handles.
#pragma once

#include <string>

namespace platform {

class MimeDatabase {
 public:
  virtual ~MimeDatabase() = default;

  // The content type for an extension with its dot (".doc"); empty when unknown.
  virtual std::string ContentTypeOfExtension(const std::string& extension) const = 0;

  // The usual extension, dot included, for a content type in any letter case; empty when unknown.
  virtual std::string ExtensionOfContentType(const std::string& contentType) const = 0;
};

}  // namespace platform
