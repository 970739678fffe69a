// The messages of the previous check pass, kept by account and unique id so
// that the next pass fetches only what it has not seen. The message list
// owns the messages between passes; the cache only notes which id each one
// was added under, and at the start of a pass takes them out of the list.
// What the pass does not claim again is dropped at its end.
#pragma once

#include <compare>
#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "mail/message.h"

namespace app {

class MessageCache {
 public:
  // One message on one server: the account as the session reaches it, and
  // the message's unique id there. An empty id names nothing.
  struct Key {
    auto operator<=>(const Key&) const = default;

    std::string Host;
    std::string Port;
    std::string UserId;
    std::string UniqueId;
  };

  struct Entry {
    std::unique_ptr<mail::TKelMsg> Message;  // null: nothing kept
    std::string ParseError;                  // why the body could not be parsed; empty when it could
  };

  // What a message of the list was recorded as.
  struct Recorded {
    Key MessageKey;
    std::string ParseError;
  };

  // Notes that `message`, now in the list, is the message `key` names.
  void Record(const mail::TKelMsg& message, Key key, std::string parseError);
  // Forgets `message`'s record and answers it; nothing when it had none.
  std::optional<Recorded> Release(const mail::TKelMsg& message);
  // The start of a pass: every recorded message of `list` moves into the
  // cache, what was kept before and the records are dropped, and the list is
  // emptied.
  void KeepFrom(mail::TKelMsgList& list);
  bool Contains(const Key& key) const;
  // The kept message, removed from the cache; an empty entry when none.
  Entry Take(const Key& key);
  // The end of a pass: what the pass did not take again goes.
  void DropUnclaimed() { kept_.clear(); }
  // Drops the kept messages and forgets the records.
  void Clear();
  std::size_t Size() const { return kept_.size(); }

 private:
  std::map<Key, Entry> kept_;
  // Messages of the list by address: the list may lose some between passes
  // (a delete), so positions would not last.
  std::map<const mail::TKelMsg*, Recorded> recorded_;
};

}  // namespace app
