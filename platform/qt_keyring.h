// The keyring through QtKeychain: the Secret Service (GNOME Keyring, KeePassXC
// and others) or KWallet, whichever the desktop offers. Its libsecret backend
// stores an entry with the attributes "server" (the service name), "user"
// (the key) and "type" ("plaintext"), so
//   secret-tool lookup server tessaro user bob@pop.example.ru:995
// prints the password.
//
// QtKeychain's jobs finish through the event loop (the D-Bus replies arrive
// there), so each call runs a local event loop until its job has finished or
// its time limit has passed. The loop holds back user input: no handler of
// the window runs again inside the wait, while timers and sockets are served.
#pragma once

#include <chrono>
#include <string>

#include "platform/keyring.h"

namespace platform {

class QtKeyring : public Keyring {
 public:
  static constexpr std::chrono::milliseconds kReadLimit{10'000};
  // A write may wait for the user to unlock the keyring in the desktop's prompt.
  static constexpr std::chrono::milliseconds kWriteLimit{120'000};

  explicit QtKeyring(std::string service = "tessaro");

  bool Available() override;
  KeyringRead Read(const std::string& key) override;
  KeyringWrite Write(const std::string& key, const std::string& password) override;
  bool Remove(const std::string& key) override;

 private:
  std::string service_;
};

}  // namespace platform
