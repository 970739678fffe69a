#include "app/pass/login_delays.h"

namespace app {

void LoginDelays::LoggedIn(const config::TServer& account) { mailboxes_[MailboxOf(account)].last = now_(); }

void LoginDelays::Learned(const config::TServer& account, std::chrono::seconds delay) {
  mailboxes_[MailboxOf(account)].delay = delay;
}

std::chrono::seconds LoginDelays::Delay(const config::TServer& account) const {
  const auto found = mailboxes_.find(MailboxOf(account));
  return found == mailboxes_.end() ? std::chrono::seconds{0} : found->second.delay;
}

std::chrono::seconds LoginDelays::Remaining(const config::TServer& account) const {
  const auto found = mailboxes_.find(MailboxOf(account));
  if (found == mailboxes_.end()) return std::chrono::seconds{0};
  const Clock::duration left = found->second.last + found->second.delay - now_();
  if (left <= Clock::duration::zero()) return std::chrono::seconds{0};
  return std::chrono::ceil<std::chrono::seconds>(left);
}

}  // namespace app
