// A real GNOME Keyring for the tests: gnome-keyring-daemon with only its
// Secret Service, on the private session bus the test program runs on
// (private_bus.sh), its keyrings and control socket under a temporary folder
// so that the user's own keyring is never touched. The login keyring is
// created, or opened, with a password written to the daemon's standard input.
// The daemon is stopped when the object goes, and with the bus at the latest.
// Needs Qt's application object for its D-Bus calls.
#pragma once

#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

#include "tests/support/temp_files.h"

namespace testsupport {

class GnomeKeyring {
 public:
  enum class Start { kUnlocked, kLocked };

  // The login keyring is created unlocked and given `entries` (key, password);
  // kLocked then starts the daemon again without unlocking it.
  explicit GnomeKeyring(Start start = Start::kUnlocked,
                        const std::vector<std::pair<std::string, std::string>>& entries = {});
  GnomeKeyring(const GnomeKeyring&) = delete;
  GnomeKeyring& operator=(const GnomeKeyring&) = delete;
  ~GnomeKeyring();

  // The login keyring locked through the Secret Service's Lock, as a screen lock would.
  void Lock();
  // The login keyring unlocked with its password, as the desktop's prompt
  // would; through the daemon's own interface, as the test has no prompt.
  void Unlock();

  // What `secret-tool lookup server tessaro user KEY` prints; empty when it finds nothing.
  static std::string Lookup(const std::string& key);
  // `secret-tool store` with the attributes QtKeychain writes.
  static void Store(const std::string& key, const std::string& password);

 private:
  void Run(bool unlock);
  void Stop();
  void WaitForService() const;

  TempDir home_;
  pid_t pid_ = -1;
};

// True when the test program runs on a session bus that offers no Secret Service.
bool NoSecretServiceOnBus();

}  // namespace testsupport
