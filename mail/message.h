// One retrieved message, and the list of the messages of the last check pass.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "mail/attached_files.h"
#include "mail/lines.h"
#include "platform/seen_ids_store.h"

namespace mail {

enum class TPriority { prHighest, prHigh, prNormal, prLow, prLowest };

// Where a message store keeps a message: its mailbox and its unique id there.
struct StoredAt {
  bool operator==(const StoredAt&) const = default;

  platform::MailboxKey mailbox;
  std::string uniqueId;
};

class TKelMsg {
 public:
  explicit TKelMsg(const platform::MimeDatabase& mimeDatabase) : AttachedFiles(mimeDatabase) {}

  // Stamped by the check pass so the message can be found again on its server.
  std::string AccountHost;
  std::string AccountUserId;
  std::string AccountPasswd;  // left empty: the password stays with the account alone
  // The identity the program gave the account while it runs; 0: none.
  std::uint64_t AccountId = 0;
  std::string TopHeaders;

  std::string Charset;  // top-level charset parameter, upper case, no quotes
  TPriority Priority = TPriority::prNormal;
  std::string UserName;
  std::string From;  // decoded to Windows-1251
  std::string MessageId;
  std::string InReplyTo;
  std::string ReturnPath;
  std::string ReplyTo;
  std::string SendTo;  // continuation lines joined with single blanks
  std::string CC;      // likewise
  std::string Date;
  std::string Subject;  // decoded to Windows-1251
  Lines Text;           // the readable body in Windows-1251
  Lines ExtraHeaders;
  TAttachedFiles AttachedFiles;
  std::string ContentType;       // top-level media type, upper case, no parameters
  std::optional<Lines> Headers;  // header lines as received, ending with the blank line

  // Set once the content was let go because a store keeps the message.
  std::optional<StoredAt> ContentStored;

  // Lets Text and every file's bytes go, keeping what lists and names the
  // message and its files, and notes where the whole message is kept.
  void LetContentGo(StoredAt where);
};

// The messages in download order. The list owns what it is given.
class TKelMsgList {
 public:
  std::size_t Count() const { return items_.size(); }
  // Items and Delete raise std::out_of_range for an index outside 0 to Count() - 1.
  TKelMsg& Items(std::size_t index);
  const TKelMsg& Items(std::size_t index) const;
  // Appends and answers the new index; raises std::invalid_argument for no message.
  std::size_t Add(std::unique_ptr<TKelMsg> message);
  // Delete and Clear destroy what they remove; later entries move down.
  void Delete(std::size_t index);
  void Clear();

 private:
  std::vector<std::unique_ptr<TKelMsg>> items_;
};

}  // namespace mail
