#include "platform/seen_ids_store.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string_view>
#include <utility>

#include "platform/home_folder.h"
#include "platform/private_files.h"
#include "platform/stable_hash.h"

namespace platform {

namespace {

constexpr std::string_view kHeader = "tessaro-seen-ids 1\n";
constexpr std::size_t kMaxIdLength = 70;

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

}  // namespace

std::string MailboxName(const MailboxKey& mailbox) {
  return StableHashName(mailbox.host + '\n' + std::to_string(mailbox.port) + '\n' + mailbox.user);
}

FileSeenIdsStore::FileSeenIdsStore(std::string folder) : folder_(std::move(folder)) {}

std::string FileSeenIdsStore::FileOf(const MailboxKey& mailbox) const {
  return folder_ + "/" + MailboxName(mailbox) + ".uids";
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
  // A folder that exists already is closed to others as well.
  return CreatePrivateFolders(folder_) && ::chmod(folder_.c_str(), 0700) == 0 &&
         ReplacePrivateFile(FileOf(mailbox), record);
}

std::string FileSeenIdsStore::DefaultFolder() { return XdgFolder("XDG_STATE_HOME", ".local/state", "tessaro"); }

}  // namespace platform
