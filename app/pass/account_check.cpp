#include "app/pass/account_check.h"

#include <utility>

#include "desktop/qt_text.h"
#include "mail/message_listing.h"

namespace app {

void PassTally::CountParseError(const std::string& parseError) {
  if (parseError.empty()) return;
  if (unparsedCount == 0) firstParseError = desktop::ToQString(parseError);
  ++unparsedCount;
}

AccountCheck::AccountCheck(const PassDisplay& display, const config::TServer& account, LoginDelays& delays,
                           mail::TKelMsgList& list, MessageCache& cache, PassTally& tally,
                           const platform::MimeDatabase& types, platform::MessageStore* store)
    : LoginReport(display, account, delays),
      list_(list),
      cache_(cache),
      tally_(tally),
      types_(types),
      store_(store) {}

void AccountCheck::Counted(std::uint32_t, std::uint32_t fresh) {
  tally_.newCount += fresh;
  display_.SetSimplePanel(false);
}

// A stored message's listing is read here, once, and held until Kept takes it.
bool AccountCheck::Keeps(const std::string& uid) const {
  if (cache_.Contains(KeyOf(uid))) return true;
  MessageCache::Entry entry = FromStore(uid);
  if (!entry.Message) return false;
  listed_.insert_or_assign(uid, std::move(entry));
  return true;
}

bool AccountCheck::Kept(std::uint32_t, const std::string& uid) {
  MessageCache::Entry entry = cache_.Take(KeyOf(uid));
  // A message held without its content is kept only while the store has the rest.
  if (entry.Message && entry.Message->ContentStored && !(store_ && store_->Contains(Mailbox(), uid))) entry = {};
  if (!entry.Message) entry = TakeListed(uid);
  if (!entry.Message) return false;
  Add(std::move(entry), uid);
  return true;
}

void AccountCheck::Fetched(mail::FetchedMessage fetched) {
  fetched.message->TopHeaders = fetched.topHeaders;
  // A stored message is read again from the store when shown. One that cannot
  // be stored stays whole in memory and is fetched again next time.
  if (store_ && !fetched.uniqueId.empty() && !fetched.reply.empty() &&
      store_->Write(Mailbox(), fetched.uniqueId,
                    {std::move(fetched.reply), std::move(fetched.topHeaders),
                     mail::ListingOf(*fetched.message, fetched.parseError)}))
    fetched.message->LetContentGo({Mailbox(), fetched.uniqueId});
  Add({std::move(fetched.message), std::move(fetched.parseError)}, fetched.uniqueId);
}

void AccountCheck::DownloadsEnded() { display_.SetSimplePanel(true); }

void AccountCheck::AllRead() {
  if (store_) store_->KeepOnly(Mailbox(), read_);
}

platform::MailboxKey AccountCheck::Mailbox() const { return {account_.Host, account_.Port, account_.UserId}; }

MessageCache::Entry AccountCheck::TakeListed(const std::string& uid) {
  const auto found = listed_.find(uid);
  if (found == listed_.end()) return FromStore(uid);
  MessageCache::Entry entry = std::move(found->second);
  listed_.erase(found);
  return entry;
}

// The stored message as its listing gives it; nothing when the entry is gone
// or damaged.
MessageCache::Entry AccountCheck::FromStore(const std::string& uid) const {
  if (!store_) return {};
  std::optional<platform::StoredListing> stored = store_->ReadListing(Mailbox(), uid);
  if (!stored) return {};
  std::optional<mail::ListedMessage> listed = mail::MessageOfListing(stored->listing, types_);
  if (!listed) return {};
  listed->message->TopHeaders = std::move(stored->topHeaders);
  listed->message->ContentStored = mail::StoredAt{Mailbox(), uid};
  return {std::move(listed->message), std::move(listed->parseError)};
}

MessageCache::Key AccountCheck::KeyOf(const std::string& uid) const {
  return {account_.Host, std::to_string(account_.Port), account_.UserId, uid};
}

// A message that could not be parsed stays readable as its raw lines.
void AccountCheck::Add(MessageCache::Entry entry, const std::string& uid) {
  tally_.CountParseError(entry.ParseError);
  mail::TKelMsg& message = *entry.Message;
  message.AccountHost = account_.Host;
  message.AccountUserId = account_.UserId;
  message.AccountId = account_.Id;
  list_.Add(std::move(entry.Message));
  cache_.Record(message, KeyOf(uid), std::move(entry.ParseError));
  if (!uid.empty()) read_.insert(uid);
}

}  // namespace app
