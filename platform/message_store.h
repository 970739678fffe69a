// Messages kept on disk between runs of the program, so that a restart with
// no new mail downloads nothing: per mailbox and unique id, the RETR reply as
// the server sent it, the header block TOP gave, and a listing: what the
// program needs to list the message without parsing it again, in a form of
// its own the store does not read.
#pragma once

#include <optional>
#include <set>
#include <string>

#include "platform/seen_ids_store.h"

namespace platform {

struct StoredListing {
  std::string listing;
  std::string topHeaders;  // the TOP n 0 reply
};

struct StoredMessage {
  std::string reply;  // status line to terminator, as received
  std::string topHeaders;
  std::string listing;
};

class MessageStore {
 public:
  virtual ~MessageStore() = default;
  // True when an entry of this version stands for the id, by its header alone.
  virtual bool Contains(const MailboxKey& mailbox, const std::string& uid) const = 0;
  // The entry; nothing when there is none or it is damaged (it is then removed).
  virtual std::optional<StoredMessage> Read(const MailboxKey& mailbox, const std::string& uid) = 0;
  // The listing and the header block alone, without reading the reply; nothing
  // when there is no entry or they are damaged (the entry is then removed).
  virtual std::optional<StoredListing> ReadListing(const MailboxKey& mailbox, const std::string& uid) = 0;
  // False when it could not be stored; the store then holds no entry for the id.
  virtual bool Write(const MailboxKey& mailbox, const std::string& uid, const StoredMessage& message) = 0;
  // Removes the mailbox's entries for every other id, and anything else in its folder.
  virtual void KeepOnly(const MailboxKey& mailbox, const std::set<std::string>& uids) = 0;
  // Removes every entry of every mailbox.
  virtual void Clear() = 0;
};

// A folder per mailbox below `folder`, named by MailboxName, and a file per
// entry named by a stable hash of the id. An entry file: the line
// "tessaro-message 2", the id, the three sizes, a check of the listing and the
// header block and a check of the reply, an empty line, then the listing, the
// header block and the reply. Folders are made 0700, files 0600; an entry is
// written to a temporary name and renamed, so a program killed at any moment
// leaves no half entry, and the checks find one that a crash of the system
// tore. An entry of another version, or one whose header, size or check is
// wrong, is never trusted.
class FileMessageStore : public MessageStore {
 public:
  explicit FileMessageStore(std::string folder);

  bool Contains(const MailboxKey& mailbox, const std::string& uid) const override;
  std::optional<StoredMessage> Read(const MailboxKey& mailbox, const std::string& uid) override;
  std::optional<StoredListing> ReadListing(const MailboxKey& mailbox, const std::string& uid) override;
  bool Write(const MailboxKey& mailbox, const std::string& uid, const StoredMessage& message) override;
  void KeepOnly(const MailboxKey& mailbox, const std::set<std::string>& uids) override;
  void Clear() override;

  std::string FileOf(const MailboxKey& mailbox, const std::string& uid) const;
  // ${XDG_CACHE_HOME:-~/.cache}/tessaro/messages
  static std::string DefaultFolder();

 private:
  std::string FolderOf(const MailboxKey& mailbox) const;

  std::string folder_;
};

}  // namespace platform
