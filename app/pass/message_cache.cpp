#include "app/pass/message_cache.h"

namespace app {

void MessageCache::Record(const mail::TKelMsg& message, Key key, std::string parseError) {
  if (key.UniqueId.empty()) return;
  recorded_.insert_or_assign(&message, Recorded{std::move(key), std::move(parseError)});
}

std::optional<MessageCache::Recorded> MessageCache::Release(const mail::TKelMsg& message) {
  const auto found = recorded_.find(&message);
  if (found == recorded_.end()) return std::nullopt;
  Recorded record = std::move(found->second);
  recorded_.erase(found);
  return record;
}

void MessageCache::KeepFrom(mail::TKelMsgList& list) {
  kept_.clear();
  for (std::size_t index = 0; index < list.Count(); ++index) {
    mail::TKelMsg& message = list.Items(index);
    const auto record = recorded_.find(&message);
    if (record == recorded_.end()) continue;
    auto& [key, parseError] = record->second;
    // The list's entry is destroyed below; its contents live on here.
    kept_.insert_or_assign(std::move(key),
                           Entry{std::make_unique<mail::TKelMsg>(std::move(message)), std::move(parseError)});
  }
  recorded_.clear();
  list.Clear();
}

bool MessageCache::Contains(const Key& key) const { return kept_.contains(key); }

MessageCache::Entry MessageCache::Take(const Key& key) {
  const auto found = kept_.find(key);
  if (found == kept_.end()) return {};
  Entry entry = std::move(found->second);
  kept_.erase(found);
  return entry;
}

void MessageCache::Clear() {
  kept_.clear();
  recorded_.clear();
}

}  // namespace app
