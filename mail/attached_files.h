// A message's attached files, their decoded bytes held in memory.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "mail/lines.h"
#include "platform/mime_database.h"

namespace mail {

class TAttachedFile {
 public:
  std::string FileName;  // FullName without its folder part
  std::string FullName;  // the name exactly as given to Add
  std::string ContentType;
  std::optional<Lines> EncodedLines;  // only between the body parser's hand-over and the decoder's end
  std::optional<std::string> Data;    // the decoded bytes

  // The byte count of Data, 0 without it; held at INT32_MAX beyond that.
  std::int32_t Size() const;
  // Both raise MailError "Ошибочная операция." when there is no Data, and then write nothing.
  // A file that cannot be created or written raises std::filesystem::filesystem_error
  // with the system's error code; a stream that fails raises std::ios_base::failure.
  void SaveToFile(const std::filesystem::path& path) const;
  void SaveToStream(std::ostream& stream) const;
};

class TAttachedFiles {
 public:
  explicit TAttachedFiles(const platform::MimeDatabase& mimeDatabase);

  // Appends a new, empty item named `name` and answers it.
  TAttachedFile& Add(const std::string& name);
  TAttachedFile& Items(std::size_t index);
  const TAttachedFile& Items(std::size_t index) const;
  std::size_t Count() const;

  // The content type for the name's extension; "application/octet-stream" when unknown.
  std::string ContentTypeOfFile(const std::string& fileName) const;

 private:
  const platform::MimeDatabase* mimeDatabase_;
  std::vector<std::unique_ptr<TAttachedFile>> items_;  // items keep their address while the list grows
};

// A name without its folder part: what follows its last "\", ":" or "/", read up
// to its first NUL byte as a path would be. "." and ".." name no file and give "".
std::string FileNameOf(const std::string& name);

// FileNameOf(name) made fit to propose as a file name in any folder: leading
// dots go (a hidden name would not show in the dialog's list; nothing left
// gives "БезИмени"), control characters become "_", so does a leading "-"
// (it would read as an option), and the name is cut to what a file system
// takes (255 bytes in UTF-8), keeping a short extension.
std::string SafeFileNameOf(const std::string& name);

// The extension of FileNameOf(name), from its last "." on, dot included; "" without one.
// It never holds "/" or NUL, so it cannot lead a path out of its folder.
std::string FileExtensionOf(const std::string& name);

// The usual extension, dot included, for a content type in any letter case; empty when unknown.
std::string ExtensionOfContentType(const platform::MimeDatabase& mimeDatabase, const std::string& contentType);

// "БезИмени" + number + the extension of the media type, for a part that came without a name.
std::string UnnamedPartName(const platform::MimeDatabase& mimeDatabase, int number, const std::string& mediaType);

}  // namespace mail
