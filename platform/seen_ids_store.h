// Per mailbox, the unique ids of the messages a complete check pass found on
// its server: what tells new mail on servers that do not answer LAST, from
// one pass and one run of the program to the next.
#pragma once

#include <set>
#include <string>

namespace platform {

// The mailbox a set belongs to; the host as the user typed it.
struct MailboxKey {
  bool operator==(const MailboxKey&) const = default;

  std::string host;
  int port = 110;
  std::string user;
};

// A name for the mailbox's files: a stable hash of host, port and user.
std::string MailboxName(const MailboxKey& mailbox);

class SeenIdsStore {
 public:
  virtual ~SeenIdsStore() = default;
  // Nothing seen for a mailbox never stored, or whose record is unreadable or damaged.
  virtual std::set<std::string> Load(const MailboxKey& mailbox) const = 0;
  // Replaces the mailbox's set; false when it could not be written (the old one then stands).
  virtual bool Save(const MailboxKey& mailbox, const std::set<std::string>& ids) = 0;
};

// One file per mailbox in `folder`, named by a hash of host, port and user:
// a first line "tessaro-seen-ids 1", then one id per line. The folder is made
// 0700, each file 0600, and a file is replaced whole by a rename.
class FileSeenIdsStore : public SeenIdsStore {
 public:
  explicit FileSeenIdsStore(std::string folder);

  std::set<std::string> Load(const MailboxKey& mailbox) const override;
  bool Save(const MailboxKey& mailbox, const std::set<std::string>& ids) override;

  std::string FileOf(const MailboxKey& mailbox) const;
  // ${XDG_STATE_HOME:-~/.local/state}/tessaro
  static std::string DefaultFolder();

 private:
  std::string folder_;
};

}  // namespace platform
