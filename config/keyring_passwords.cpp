#include "config/keyring_passwords.h"

#include <set>

#include "platform/cp1251.h"

namespace config {

std::string PasswordKey(const TServer& account) {
  return platform::KeyringKey(text::Cp1251ToUtf8(account.UserId), text::Cp1251ToUtf8(account.Host), account.Port);
}

platform::KeyringRead::Outcome ReadKeyringPassword(TServer& account, platform::Keyring* keyring) {
  using Outcome = platform::KeyringRead::Outcome;
  account.PasswdUnread = true;
  account.Passwd.clear();
  if (!keyring) return Outcome::kUnavailable;
  const platform::KeyringRead read = keyring->Read(account.PasswdKeyringKey);
  switch (read.outcome) {
    case Outcome::kPassword:
      account.Passwd = text::Utf8ToCp1251(read.password);
      account.PasswdUnread = false;
      break;
    case Outcome::kNoEntry:
      account.PasswdKeyringKey.clear();
      account.PasswdUnread = false;
      break;
    case Outcome::kLocked:
    case Outcome::kUnavailable:
      break;
  }
  return read.outcome;
}

bool StorePasswords(TAccountList& accounts, platform::Keyring& keyring) {
  if (!keyring.Available()) return false;
  bool allStored = true;
  for (TServer& account : accounts) {
    if (account.PasswdUnread) continue;  // it stays where it is until it can be read
    const std::string key = PasswordKey(account);
    if (account.Passwd.empty()) {
      account.PasswdKeyringKey.clear();
    } else if (account.PasswdKeyringKey != key) {
      const bool stored = keyring.Write(key, text::Cp1251ToUtf8(account.Passwd)).stored;
      account.PasswdKeyringKey = stored ? key : std::string();
      allStored = allStored && stored;
    }
  }
  return allStored;
}

void RemoveDroppedPasswords(const TAccountList& before, const TAccountList& after, platform::Keyring& keyring) {
  std::set<std::string> held;
  for (const TServer& account : after)
    if (!account.PasswdKeyringKey.empty()) held.insert(account.PasswdKeyringKey);
  for (const TServer& account : before)
    if (!account.PasswdKeyringKey.empty() && !held.contains(account.PasswdKeyringKey))
      keyring.Remove(account.PasswdKeyringKey);
}

}  // namespace config
