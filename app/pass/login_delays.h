// The servers' LOGIN-DELAY (RFC 2449): how long each mailbox wants between
// two logins and when it was last logged into, so that a tick puts off a
// login the server would refuse. Known only while the program runs: the
// first pass after a start logs in as always.
#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <utility>

#include "config/server.h"

namespace app {

class LoginDelays {
 public:
  using Clock = std::chrono::steady_clock;

  explicit LoginDelays(std::function<Clock::time_point()> now) : now_(std::move(now)) {}

  void LoggedIn(const config::TServer& account);
  void Learned(const config::TServer& account, std::chrono::seconds delay);
  std::chrono::seconds Delay(const config::TServer& account) const;
  // How much longer the account must wait before it may log in, rounded up
  // to whole seconds; zero when it may now.
  std::chrono::seconds Remaining(const config::TServer& account) const;

 private:
  // A mailbox as the server knows it: an edited host or user is another one.
  using Mailbox = std::tuple<std::string, int, std::string>;
  struct Logins {
    std::chrono::seconds delay{0};
    Clock::time_point last;
  };

  static Mailbox MailboxOf(const config::TServer& account) { return {account.Host, account.Port, account.UserId}; }

  std::function<Clock::time_point()> now_;
  std::map<Mailbox, Logins> mailboxes_;
};

}  // namespace app
