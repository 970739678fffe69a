#include "platform/message_store.h"

#include <sys/stat.h>

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <system_error>
#include <utility>

#include "platform/home_folder.h"
#include "platform/private_files.h"
#include "platform/stable_hash.h"

namespace platform {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kVersionLine = "tessaro-message 1\n";
constexpr std::size_t kLongestHeader = 512;

struct EntryHeader {
  std::string uid;
  std::size_t replySize = 0;
  std::size_t topSize = 0;
  std::string check;
  std::size_t size = 0;  // of the header itself, the empty line included
};

std::string CheckOf(std::string_view reply, std::string_view top) {
  return HashName(StableHash(top, StableHash("\n", StableHash(reply))));
}

std::string HeaderText(const std::string& uid, const StoredMessage& message) {
  return std::string(kVersionLine) + uid + "\n" + std::to_string(message.reply.size()) + " " +
         std::to_string(message.topHeaders.size()) + " " + CheckOf(message.reply, message.topHeaders) + "\n\n";
}

bool ReadSize(std::string_view text, std::size_t& size) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), size);
  return error == std::errc() && end == text.data() + text.size() && !text.empty();
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
  const std::string_view sizes = text.substr(uidEnd + 1, sizesEnd - uidEnd - 1);
  const std::size_t first = sizes.find(' ');
  const std::size_t second = first == std::string_view::npos ? first : sizes.find(' ', first + 1);
  if (second == std::string_view::npos || !ReadSize(sizes.substr(0, first), header.replySize) ||
      !ReadSize(sizes.substr(first + 1, second - first - 1), header.topSize))
    return std::nullopt;
  header.check = std::string(sizes.substr(second + 1));
  header.size = sizesEnd + 2;
  return header;
}

// The file's first `bytes` bytes, or all of it, in one read.
std::string ReadFile(const std::string& path, std::size_t bytes = std::string::npos) {
  std::ifstream file(path, std::ios::binary | std::ios::ate);
  if (!file) return {};
  bytes = std::min(bytes, static_cast<std::size_t>(file.tellg()));
  file.seekg(0);
  std::string text(bytes, '\0');
  file.read(text.data(), static_cast<std::streamsize>(bytes));
  text.resize(static_cast<std::size_t>(file.gcount()));
  return text;
}

std::uintmax_t FileSize(const std::string& path) {
  std::error_code error;
  const std::uintmax_t size = fs::file_size(path, error);
  return error ? 0 : size;
}

// The header of an entry of `size` bytes starting with `text`, when it is the id's and the size is right.
std::optional<EntryHeader> HeaderOf(std::string_view text, std::uintmax_t size, const std::string& uid) {
  std::optional<EntryHeader> header = ParseHeader(text);
  if (!header || header->uid != uid || size != header->size + header->replySize + header->topSize) return std::nullopt;
  return header;
}

}  // namespace

FileMessageStore::FileMessageStore(std::string folder) : folder_(std::move(folder)) {}

std::string FileMessageStore::DefaultFolder() { return XdgFolder("XDG_CACHE_HOME", ".cache", "tessaro/messages"); }

std::string FileMessageStore::FolderOf(const MailboxKey& mailbox) const { return folder_ + "/" + MailboxName(mailbox); }

std::string FileMessageStore::FileOf(const MailboxKey& mailbox, const std::string& uid) const {
  return FolderOf(mailbox) + "/" + StableHashName(uid) + ".msg";
}

bool FileMessageStore::Contains(const MailboxKey& mailbox, const std::string& uid) const {
  const std::string path = FileOf(mailbox, uid);
  return !uid.empty() && HeaderOf(ReadFile(path, kLongestHeader), FileSize(path), uid).has_value();
}

std::optional<StoredMessage> FileMessageStore::Read(const MailboxKey& mailbox, const std::string& uid) {
  const std::string path = FileOf(mailbox, uid);
  const std::string entry = ReadFile(path);
  const std::optional<EntryHeader> header = HeaderOf(entry, entry.size(), uid);
  if (!header) return std::nullopt;
  StoredMessage message{entry.substr(header->size, header->replySize),
                        entry.substr(header->size + header->replySize, header->topSize)};
  if (CheckOf(message.reply, message.topHeaders) != header->check) {
    std::error_code ignored;
    fs::remove(path, ignored);  // damaged: the message is fetched again
    return std::nullopt;
  }
  return message;
}

bool FileMessageStore::Write(const MailboxKey& mailbox, const std::string& uid, const StoredMessage& message) {
  if (uid.empty()) return false;
  const std::string path = FileOf(mailbox, uid);
  std::string entry = HeaderText(uid, message);
  entry += message.reply;
  entry += message.topHeaders;
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
