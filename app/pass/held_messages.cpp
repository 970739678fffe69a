#include "app/pass/held_messages.h"

#include <utility>

namespace app {

HeldMessages::HeldMessages(mail::TKelMsgList& list, MessageCache& cache, const std::set<std::uint64_t>& accounts)
    : accounts_(accounts) {
  for (std::size_t index = 0; index < list.Count(); ++index) {
    mail::TKelMsg& message = list.Items(index);
    if (!accounts_.contains(message.AccountId)) continue;
    std::optional<MessageCache::Recorded> record = cache.Release(message);
    held_[message.AccountId].push_back({std::make_unique<mail::TKelMsg>(std::move(message)), std::move(record)});
  }
}

void HeldMessages::PutBack(std::uint64_t account, mail::TKelMsgList& list, MessageCache& cache, PassTally& tally) {
  const auto found = held_.find(account);
  if (found == held_.end()) return;
  for (Held& held : found->second) {
    const mail::TKelMsg& message = *held.message;
    list.Add(std::move(held.message));
    if (!held.record) continue;
    tally.CountParseError(held.record->ParseError);
    cache.Record(message, std::move(held.record->MessageKey), std::move(held.record->ParseError));
  }
  held_.erase(found);
}

}  // namespace app
