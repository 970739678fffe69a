// What one account's check pass puts in the main window: its status texts,
// the new mail it counts, and each message in the list (taken back from the
// previous pass where messages are kept between passes, or fetched).
#pragma once

#include <QString>
#include <map>
#include <set>
#include <string>

#include "app/pass/login_report.h"
#include "app/pass/message_cache.h"
#include "config/server.h"
#include "mail/message.h"
#include "platform/message_store.h"

namespace app {

// What a whole pass over every account adds up.
struct PassTally {
  long long newCount = 0;
  // Messages that could not be parsed, and the first such error.
  int unparsedCount = 0;
  QString firstParseError;
  // Accounts the pass did not log into, and why the first of them waits.
  int putOffCount = 0;
  QString firstPutOff;

  // Counts a message whose body could not be parsed; an empty error counts nothing.
  void CountParseError(const std::string& parseError);
};

// With a store, messages are kept between runs of the program too: each
// fetched one is written to it with its listing and then held without its
// content; one the memory cache lacks is listed again from its listing; and
// after a pass that read the whole mailbox the store keeps only what is still
// on the server.
class AccountCheck : public LoginReport {
 public:
  AccountCheck(const PassDisplay& display, const config::TServer& account, LoginDelays& delays,
               mail::TKelMsgList& list, MessageCache& cache, PassTally& tally, const platform::MimeDatabase& types,
               platform::MessageStore* store);

  void Counted(std::uint32_t count, std::uint32_t fresh) override;
  bool Keeps(const std::string& uid) const override;
  bool Kept(std::uint32_t number, const std::string& uid) override;
  void Fetched(mail::FetchedMessage fetched) override;
  void DownloadsEnded() override;
  void AllRead() override;

 private:
  MessageCache::Key KeyOf(const std::string& uid) const;
  platform::MailboxKey Mailbox() const;
  MessageCache::Entry FromStore(const std::string& uid) const;
  MessageCache::Entry TakeListed(const std::string& uid);
  void Add(MessageCache::Entry entry, const std::string& uid);

  mail::TKelMsgList& list_;
  MessageCache& cache_;
  PassTally& tally_;
  const platform::MimeDatabase& types_;
  platform::MessageStore* store_;
  std::set<std::string> read_;  // the ids of this pass's messages
  // Stored messages Keeps listed, by id, until Kept takes them.
  mutable std::map<std::string, MessageCache::Entry> listed_;
};

}  // namespace app
