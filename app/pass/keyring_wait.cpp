// An account whose password waits in a keyring that is locked, or not on the
// session bus yet (a program started at login before the keyring was
// unlocked): the pass puts it off with a status text and no box, and the
// keyring is asked again at the next pass.
#include "app/window/main_form.h"
#include "config/keyring_passwords.h"

namespace app {

std::map<std::uint64_t, QString> TMainForm::AccountsAwaitingKeyring() {
  std::map<std::uint64_t, QString> waiting;
  for (config::TServer& account : settings_.AccountList) {
    if (!account.Checked || !account.PasswdUnread) continue;
    using Outcome = platform::KeyringRead::Outcome;
    const Outcome read = config::ReadKeyringPassword(account, services_.Keyring.get());
    if (!account.PasswdUnread) continue;
    waiting.emplace(account.Id, read == Outcome::kLocked ? QStringLiteral("связка ключей заблокирована")
                                                         : QStringLiteral("связка ключей недоступна"));
  }
  return waiting;
}

}  // namespace app
