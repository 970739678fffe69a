// The messages of the accounts a pass puts off: taken out of the list before
// the pass rebuilds it, and put back in their order at their account's turn,
// so that a mailbox the pass does not visit keeps what it showed.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "app/pass/account_check.h"
#include "app/pass/message_cache.h"
#include "mail/message.h"

namespace app {

class HeldMessages {
 public:
  // Moves every message of `accounts` (by AccountId) out of `list`, with
  // what `cache` recorded for it. The list's entries left behind are empty
  // and go when the pass clears the list.
  HeldMessages(mail::TKelMsgList& list, MessageCache& cache, const std::set<std::uint64_t>& accounts);

  bool Holds(std::uint64_t account) const { return accounts_.contains(account); }
  // Appends the held messages of `account` to `list`, records them in
  // `cache` again and counts those that could not be parsed.
  void PutBack(std::uint64_t account, mail::TKelMsgList& list, MessageCache& cache, PassTally& tally);

 private:
  struct Held {
    std::unique_ptr<mail::TKelMsg> message;
    std::optional<MessageCache::Recorded> record;
  };

  std::set<std::uint64_t> accounts_;
  std::map<std::uint64_t, std::vector<Held>> held_;
};

}  // namespace app
