// MimeDatabase on the desktop's shared MIME info, through Qt.
#pragma once

#include <string>

#include "platform/mime_database.h"

namespace platform {

class QtMimeDatabase : public MimeDatabase {
 public:
  std::string ContentTypeOfExtension(const std::string& extension) const override;
  std::string ExtensionOfContentType(const std::string& contentType) const override;
  std::vector<std::string> ContentTypesOfName(const std::string& fileName) const override;
  std::string ContentTypeOfData(std::string_view data) const override;
  bool Inherits(const std::string& type, const std::string& parent) const override;
};

}  // namespace platform
