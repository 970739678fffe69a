// Account passwords in the desktop's keyring, under "<user>@<host>:<port>",
// with the scrambled settings value as the fallback: a password stays in the
// file until the keyring has confirmed that it holds it.
#pragma once

#include <string>

#include "config/server.h"
#include "platform/keyring.h"

namespace config {

// The account's keyring key, from its present user name, host and port.
std::string PasswordKey(const TServer& account);

// For an account whose password the file says is in the keyring: the keyring's
// password, or PasswdUnread while it is locked or not there yet. An entry that
// is gone leaves an empty password in the file's place. Without a keyring the
// password stays unread. The outcome is the keyring's answer.
platform::KeyringRead::Outcome ReadKeyringPassword(TServer& account, platform::Keyring* keyring);

// Moves every known, non-empty password the keyring does not hold yet into it,
// when a keyring is there. False when some password stays in the file.
bool StorePasswords(TAccountList& accounts, platform::Keyring& keyring);

// Removes the entries of `before` that no account of `after` holds any more:
// deleted accounts, and accounts whose key or password changed. An entry the
// keyring refuses to remove stays behind, holding a password nothing reads.
void RemoveDroppedPasswords(const TAccountList& before, const TAccountList& after, platform::Keyring& keyring);

}  // namespace config
