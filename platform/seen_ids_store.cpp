#include "platform/seen_ids_store.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string_view>
#include <utility>

namespace platform {

namespace {

constexpr std::string_view kHeader = "tessaro-seen-ids 1\n";
constexpr std::size_t kMaxIdLength = 70;

// FNV-1a: a file name that stays the same from one build to the next, which std::hash does not promise.
std::uint64_t StableHash(std::string_view text) {
  std::uint64_t hash = 0xcbf29ce484222325ULL;
  for (const char c : text) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001b3ULL;
  }
  return hash;
}

bool IsId(std::string_view id) {
  return !id.empty() && id.size() <= kMaxIdLength &&
         std::all_of(id.begin(), id.end(), [](char c) { return c >= 0x21 && c <= 0x7E; });
}

// The ids of a whole record; nothing for one that is not entirely in shape,
// since a damaged record could otherwise hide mail that is new.
std::set<std::string> ParseRecord(std::string_view record) {
  if (!record.starts_with(kHeader) || !record.ends_with('\n')) return {};
  std::set<std::string> ids;
  for (std::size_t start = kHeader.size(); start < record.size();) {
    const std::size_t end = record.find('\n', start);
    const std::string_view id = record.substr(start, end - start);
    if (!IsId(id)) return {};
    ids.emplace(id);
    start = end + 1;
  }
  return ids;
}

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  const passwd* user = ::getpwuid(::getuid());
  return user && user->pw_dir ? user->pw_dir : "";
}

bool MakeFolder(const std::string& folder) {
  for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
    const std::string prefix = folder.substr(0, slash);
    struct stat status;
    if (::mkdir(prefix.c_str(), 0700) != 0 && (::stat(prefix.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)))
      return false;
    if (slash == std::string::npos) return ::chmod(folder.c_str(), 0700) == 0;
  }
}

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// The old record stays whole until the rename, which replaces it in one step.
bool ReplaceFile(const std::string& path, std::string_view data) {
  std::string temporary = path + ".XXXXXX";
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) return false;
  const bool written = ::fchmod(fd, 0600) == 0 && WriteAll(fd, data) && ::fsync(fd) == 0;
  if (::close(fd) != 0 || !written || ::rename(temporary.c_str(), path.c_str()) != 0) {
    ::unlink(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace

FileSeenIdsStore::FileSeenIdsStore(std::string folder) : folder_(std::move(folder)) {}

std::string FileSeenIdsStore::FileOf(const MailboxKey& mailbox) const {
  const std::string identity = mailbox.host + '\n' + std::to_string(mailbox.port) + '\n' + mailbox.user;
  char name[17];
  std::snprintf(name, sizeof name, "%016llx", static_cast<unsigned long long>(StableHash(identity)));
  return folder_ + "/" + name + ".uids";
}

std::set<std::string> FileSeenIdsStore::Load(const MailboxKey& mailbox) const {
  std::ifstream file(FileOf(mailbox), std::ios::binary);
  if (!file) return {};
  const std::string record{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  if (file.bad()) return {};
  return ParseRecord(record);
}

bool FileSeenIdsStore::Save(const MailboxKey& mailbox, const std::set<std::string>& ids) {
  std::string record(kHeader);
  for (const std::string& id : ids) {
    if (!IsId(id)) continue;  // could not be read back: left out rather than spoiling the record
    record += id;
    record += '\n';
  }
  return MakeFolder(folder_) && ReplaceFile(FileOf(mailbox), record);
}

std::string FileSeenIdsStore::DefaultFolder() {
  if (const char* xdg = std::getenv("XDG_STATE_HOME"); xdg && xdg[0] == '/') return std::string(xdg) + "/tessaro";
  return HomeFolder() + "/.local/state/tessaro";
}

}  // namespace platform
