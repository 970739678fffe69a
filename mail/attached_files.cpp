#include "mail/attached_files.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <limits>
#include <string_view>
#include <system_error>

#include "mail/mail_error.h"
#include "platform/cp1251.h"

using text::operator""_cp1251;

namespace mail {

namespace {

constexpr std::string_view kDefaultContentType = "application/octet-stream";
// The name of a file that came without one.
std::string UnnamedFileName() { return std::string("БезИмени"_cp1251); }

const std::string& DataOrRaise(const std::optional<std::string>& data) {
  if (!data) throw MailError(std::string("Ошибочная операция."_cp1251));
  return *data;
}

[[noreturn]] void RaiseFileError(const char* what, const std::filesystem::path& path, int errorNumber) {
  // A failing stdio call need not set errno; EIO still says the write went wrong.
  throw std::filesystem::filesystem_error(what, path,
                                          std::error_code(errorNumber != 0 ? errorNumber : EIO, std::generic_category()));
}

// File systems take names of up to 255 bytes; the name becomes UTF-8 on its way to a path.
constexpr std::size_t kMaxNameBytes = 255;
// A longer "extension" is most likely part of the name itself.
constexpr std::size_t kMaxExtensionBytes = 16;

std::size_t Utf8Size(std::string_view cp1251) { return text::Cp1251ToUtf8(cp1251).size(); }

bool IsControl(char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }

std::string Shortened(const std::string& name) {
  if (Utf8Size(name) <= kMaxNameBytes) return name;
  const std::size_t dot = name.rfind('.');
  const std::string extension =
      dot != std::string::npos && Utf8Size(std::string_view(name).substr(dot)) <= kMaxExtensionBytes ? name.substr(dot)
                                                                                                      : std::string();
  std::string stem = name.substr(0, name.size() - extension.size());
  std::size_t size = Utf8Size(stem) + Utf8Size(extension);
  while (size > kMaxNameBytes) {
    size -= Utf8Size(std::string_view(stem).substr(stem.size() - 1));
    stem.pop_back();
  }
  return stem + extension;
}

}  // namespace

std::int32_t TAttachedFile::Size() const {
  if (!Data) return 0;
  return static_cast<std::int32_t>(std::min<std::size_t>(Data->size(), std::numeric_limits<std::int32_t>::max()));
}

void TAttachedFile::SaveToFile(const std::filesystem::path& path) const {
  const std::string& bytes = DataOrRaise(Data);
  errno = 0;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) RaiseFileError("cannot create the file", path, errno);
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  const int writeError = errno;
  // Closing flushes, so a full disk may only show here.
  const bool closed = std::fclose(file) == 0;
  if (!written) RaiseFileError("cannot write the file", path, writeError);
  if (!closed) RaiseFileError("cannot write the file", path, errno);
}

void TAttachedFile::SaveToStream(std::ostream& stream) const {
  const std::string& bytes = DataOrRaise(Data);
  stream.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!stream) throw std::ios_base::failure("cannot write the attached file to the stream");
}

TAttachedFiles::TAttachedFiles(const platform::MimeDatabase& mimeDatabase) : mimeDatabase_(&mimeDatabase) {}

TAttachedFile& TAttachedFiles::Add(const std::string& name) {
  auto item = std::make_unique<TAttachedFile>();
  item->FileName = FileNameOf(name);
  item->FullName = name;
  item->ContentType = ContentTypeOfFile(name);
  items_.push_back(std::move(item));
  return *items_.back();
}

TAttachedFile& TAttachedFiles::Items(std::size_t index) { return *items_.at(index); }

const TAttachedFile& TAttachedFiles::Items(std::size_t index) const { return *items_.at(index); }

std::size_t TAttachedFiles::Count() const { return items_.size(); }

std::string TAttachedFiles::ContentTypeOfFile(const std::string& fileName) const {
  const std::string extension = FileExtensionOf(fileName);
  const std::string found = extension.empty() ? std::string() : mimeDatabase_->ContentTypeOfExtension(extension);
  return found.empty() ? std::string(kDefaultContentType) : found;
}

std::string FileNameOf(const std::string& name) {
  std::string_view path(name);
  path = path.substr(0, path.find('\0'));
  const std::size_t separator = path.find_last_of("\\:/");
  if (separator != std::string_view::npos) path.remove_prefix(separator + 1);
  if (path == "." || path == "..") return {};
  return std::string(path);
}

std::string SafeFileNameOf(const std::string& name) {
  std::string safe = FileNameOf(name);
  safe.erase(0, safe.find_first_not_of('.'));
  if (safe.empty()) return UnnamedFileName();
  std::replace_if(safe.begin(), safe.end(), IsControl, '_');
  if (!safe.empty() && safe.front() == '-') safe.front() = '_';
  return Shortened(safe);
}

std::string FileExtensionOf(const std::string& name) {
  const std::string fileName = FileNameOf(name);
  const std::size_t dot = fileName.rfind('.');
  return dot == std::string::npos ? std::string() : fileName.substr(dot);
}

std::string ExtensionOfContentType(const platform::MimeDatabase& mimeDatabase, const std::string& contentType) {
  return mimeDatabase.ExtensionOfContentType(contentType);
}

std::string UnnamedPartName(const platform::MimeDatabase& mimeDatabase, int number, const std::string& mediaType) {
  return UnnamedFileName() + std::to_string(number) + ExtensionOfContentType(mimeDatabase, mediaType);
}

}  // namespace mail
