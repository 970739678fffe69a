// MimeDatabase on the desktop's shared MIME info, through Qt.
#pragma once

#include <string>

#include "platform/mime_database.h"

namespace platform {

class QtMimeDatabase : public MimeDatabase {
 public:
  std::string ContentTypeOfExtension(const std::string& extension) const override;
  std::string ExtensionOfContentType(const std::string& contentType) const override;
};

}  // namespace platform
