#include "platform/message_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <utility>

#include "platform/content_check.h"
#include "platform/home_folder.h"
#include "platform/private_files.h"
#include "platform/stable_hash.h"

namespace platform {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kVersionLine = "tessaro-message 2\n";
constexpr std::size_t kLongestHeader = 512;
constexpr std::size_t kListingRead = 8192;  // the header, the listing and the header block of most messages

struct EntryHeader {
  std::string uid;
  std::size_t listingSize = 0;
  std::size_t topSize = 0;
  std::size_t replySize = 0;
  std::string listingCheck;  // of the listing and the header block
  std::string replyCheck;
  std::size_t size = 0;  // of the header itself, the empty line included

  std::size_t ListedEnd() const { return size + listingSize + topSize; }
  std::size_t End() const { return ListedEnd() + replySize; }
};

std::string CheckOf(std::string_view listing, std::string_view top) {
  return HashName(ContentCheck(top, ContentCheck(listing)));
}

std::string CheckOf(std::string_view reply) { return HashName(ContentCheck(reply)); }

std::string HeaderText(const std::string& uid, const StoredMessage& message) {
  return std::string(kVersionLine) + uid + "\n" + std::to_string(message.listing.size()) + " " +
         std::to_string(message.topHeaders.size()) + " " + std::to_string(message.reply.size()) + " " +
         CheckOf(message.listing, message.topHeaders) + " " + CheckOf(message.reply) + "\n\n";
}

bool ReadSize(std::string_view text, std::size_t& size) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), size);
  return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

// The sizes line: three sizes and two checks, one blank between each.
bool ReadSizes(std::string_view line, EntryHeader& header) {
  std::string_view fields[5];
  for (std::string_view& field : fields) {
    const std::size_t blank = line.find(' ');
    field = line.substr(0, blank);
    line = blank == std::string_view::npos ? std::string_view() : line.substr(blank + 1);
  }
  header.listingCheck = std::string(fields[3]);
  header.replyCheck = std::string(fields[4]);
  return line.empty() && ReadSize(fields[0], header.listingSize) && ReadSize(fields[1], header.topSize) &&
         ReadSize(fields[2], header.replySize) && !fields[4].empty();
}

// The header at the start of `text`; nothing when it is not in shape.
std::optional<EntryHeader> ParseHeader(std::string_view text) {
  if (!text.starts_with(kVersionLine)) return std::nullopt;
  const std::size_t uidEnd = text.find('\n', kVersionLine.size());
  const std::size_t sizesEnd = uidEnd == std::string_view::npos ? uidEnd : text.find('\n', uidEnd + 1);
  if (sizesEnd == std::string_view::npos || sizesEnd + 1 >= text.size() || text[sizesEnd + 1] != '\n')
    return std::nullopt;
  EntryHeader header;
  header.uid = std::string(text.substr(kVersionLine.size(), uidEnd - kVersionLine.size()));
  if (!ReadSizes(text.substr(uidEnd + 1, sizesEnd - uidEnd - 1), header)) return std::nullopt;
  header.size = sizesEnd + 2;
  return header;
}

// An entry file open for reading, its size known: one open and one status
// call however many parts of it are read.
class EntryFile {
 public:
  explicit EntryFile(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
    struct stat status{};
    if (fd_ >= 0 && ::fstat(fd_, &status) == 0) size_ = static_cast<std::uintmax_t>(status.st_size);
  }
  ~EntryFile() {
    if (fd_ >= 0) ::close(fd_);
  }
  EntryFile(const EntryFile&) = delete;
  EntryFile& operator=(const EntryFile&) = delete;

  std::uintmax_t Size() const { return size_; }

  // Its first `bytes` bytes, or fewer when it is shorter or a read fails.
  std::string Start(std::size_t bytes) const {
    std::string text(static_cast<std::size_t>(std::min<std::uintmax_t>(bytes, size_)), '\0');
    std::size_t got = 0;
    while (fd_ >= 0 && got < text.size()) {
      const ssize_t read = ::pread(fd_, text.data() + got, text.size() - got, static_cast<off_t>(got));
      if (read < 0 && errno == EINTR) continue;
      if (read <= 0) break;
      got += static_cast<std::size_t>(read);
    }
    text.resize(got);
    return text;
  }

 private:
  int fd_;
  std::uintmax_t size_ = 0;
};

// The header of an entry of `size` bytes starting with `text`, when it is the id's and the size is right.
std::optional<EntryHeader> HeaderOf(std::string_view text, std::uintmax_t size, const std::string& uid) {
  std::optional<EntryHeader> header = ParseHeader(text);
  if (!header || header->uid != uid || size != header->End()) return std::nullopt;
  return header;
}

void RemoveDamaged(const std::string& path) {
  std::error_code ignored;
  fs::remove(path, ignored);  // the message is fetched again
}

}  // namespace

FileMessageStore::FileMessageStore(std::string folder) : folder_(std::move(folder)) {}

std::string FileMessageStore::DefaultFolder() { return XdgFolder("XDG_CACHE_HOME", ".cache", "tessaro/messages"); }

std::string FileMessageStore::FolderOf(const MailboxKey& mailbox) const { return folder_ + "/" + MailboxName(mailbox); }

std::string FileMessageStore::FileOf(const MailboxKey& mailbox, const std::string& uid) const {
  return FolderOf(mailbox) + "/" + StableHashName(uid) + ".msg";
}

bool FileMessageStore::Contains(const MailboxKey& mailbox, const std::string& uid) const {
  if (uid.empty()) return false;
  const EntryFile file(FileOf(mailbox, uid));
  return HeaderOf(file.Start(kLongestHeader), file.Size(), uid).has_value();
}

std::optional<StoredMessage> FileMessageStore::Read(const MailboxKey& mailbox, const std::string& uid) {
  const std::string path = FileOf(mailbox, uid);
  const EntryFile file(path);
  const std::string entry = file.Start(file.Size());
  const std::optional<EntryHeader> header = HeaderOf(entry, entry.size(), uid);
  if (!header) return std::nullopt;
  StoredMessage message{entry.substr(header->ListedEnd(), header->replySize),
                        entry.substr(header->size + header->listingSize, header->topSize),
                        entry.substr(header->size, header->listingSize)};
  if (CheckOf(message.listing, message.topHeaders) != header->listingCheck ||
      CheckOf(message.reply) != header->replyCheck) {
    RemoveDamaged(path);
    return std::nullopt;
  }
  return message;
}

std::optional<StoredListing> FileMessageStore::ReadListing(const MailboxKey& mailbox, const std::string& uid) {
  const std::string path = FileOf(mailbox, uid);
  const EntryFile file(path);
  std::string start = file.Start(kListingRead);
  const std::optional<EntryHeader> header = HeaderOf(start, file.Size(), uid);
  if (!header) return std::nullopt;
  if (start.size() < header->ListedEnd()) start = file.Start(header->ListedEnd());
  if (start.size() < header->ListedEnd()) return std::nullopt;
  StoredListing listed{start.substr(header->size, header->listingSize),
                       start.substr(header->size + header->listingSize, header->topSize)};
  if (CheckOf(listed.listing, listed.topHeaders) != header->listingCheck) {
    RemoveDamaged(path);
    return std::nullopt;
  }
  return listed;
}

bool FileMessageStore::Write(const MailboxKey& mailbox, const std::string& uid, const StoredMessage& message) {
  if (uid.empty()) return false;
  const std::string path = FileOf(mailbox, uid);
  std::string entry = HeaderText(uid, message);
  entry += message.listing;
  entry += message.topHeaders;
  entry += message.reply;
  if (ReplacePrivateFile(path, entry, /*sync=*/false)) return true;
  // The first entry of the account makes its folders; the store's own folder
  // is closed to others, so the account folders below it are too.
  return CreatePrivateFolders(FolderOf(mailbox)) && ::chmod(folder_.c_str(), 0700) == 0 &&
         ReplacePrivateFile(path, entry, /*sync=*/false);
}

void FileMessageStore::KeepOnly(const MailboxKey& mailbox, const std::set<std::string>& uids) {
  std::set<std::string> kept;
  for (const std::string& uid : uids) kept.insert(FileOf(mailbox, uid));
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(FolderOf(mailbox), error)) {
    std::error_code ignored;
    if (!kept.contains(entry.path().string())) fs::remove_all(entry.path(), ignored);
  }
}

void FileMessageStore::Clear() {
  std::error_code ignored;
  fs::remove_all(folder_, ignored);
}

}  // namespace platform
