#include "app/view/shown_message.h"

namespace app {

const mail::TKelMsg* ShownMessage::Of(const mail::TKelMsg* listed) {
  missing_ = false;
  if (listed == nullptr || !listed->ContentStored) {
    whole_.reset();
    return listed;
  }
  if (whole_ && whole_->ContentStored == listed->ContentStored) return whole_.get();
  whole_.reset();  // one whole message at a time
  whole_ = ReadWhole(*listed);
  missing_ = !whole_;
  return whole_ ? whole_.get() : listed;
}

// The stamps the pass gave the listed message go onto the parsed one, so
// that it is the same message in every field.
std::unique_ptr<mail::TKelMsg> ShownMessage::ReadWhole(const mail::TKelMsg& listed) const {
  if (!store_) return nullptr;
  const mail::StoredAt& at = *listed.ContentStored;
  std::optional<platform::StoredMessage> stored = store_->Read(at.mailbox, at.uniqueId);
  if (!stored) return nullptr;
  std::unique_ptr<mail::TKelMsg> whole = session_.ParseMessage(std::move(stored->reply));
  whole->AccountHost = listed.AccountHost;
  whole->AccountUserId = listed.AccountUserId;
  whole->AccountId = listed.AccountId;
  whole->TopHeaders = listed.TopHeaders;
  whole->ContentStored = listed.ContentStored;
  return whole;
}

}  // namespace app
