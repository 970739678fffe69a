// The desktop's keyring as the settings see it: one password per key under
// the program's service name. Reads tell a locked keyring apart from a
// missing entry, so that a keyring the user has not unlocked yet is waited
// for instead of being taken for an empty password.
#pragma once

#include <string>

namespace platform {

struct KeyringRead {
  enum class Outcome {
    kPassword,     // found; `password` holds it
    kNoEntry,      // the keyring answers and holds nothing for the key
    kLocked,       // the entry is there, but behind a lock the user must open
    kUnavailable,  // no keyring service answers, or it refused; `error` says why
  };
  Outcome outcome = Outcome::kUnavailable;
  std::string password;  // UTF-8
  std::string error;     // UTF-8, for kUnavailable
};

struct KeyringWrite {
  bool stored = false;  // the keyring confirmed the write
  std::string error;    // UTF-8, when not stored
};

class Keyring {
 public:
  virtual ~Keyring() = default;

  // Whether a keyring service answers at all; a locked one answers.
  virtual bool Available() = 0;
  // Never asks the user to unlock: a locked entry is reported as kLocked.
  virtual KeyringRead Read(const std::string& key) = 0;
  // May ask the user to unlock the keyring.
  virtual KeyringWrite Write(const std::string& key, const std::string& password) = 0;
  // True when the entry is gone, or was never there.
  virtual bool Remove(const std::string& key) = 0;
};

// An account's key, "<user>@<host>:<port>", from UTF-8 texts.
std::string KeyringKey(const std::string& user, const std::string& host, int port);

}  // namespace platform
