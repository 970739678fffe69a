// The keyring layer against a real GNOME Keyring on the test's private bus:
// what it writes is what secret-tool finds, and a locked keyring, a missing
// entry and a missing keyring service are three different answers.
#include "platform/qt_keyring.h"

#include <gtest/gtest.h>

#include "tests/support/gnome_keyring.h"
#include "tests/support/qt_environment.h"

namespace {

using testsupport::GnomeKeyring;
using Outcome = platform::KeyringRead::Outcome;

constexpr const char* kKey = "bob@pop.example.ru:995";
constexpr const char* kPassword = "пароль с пробелом";

TEST(QtKeyring, TheKeyIsUserAtHostAndPort) {
  EXPECT_EQ(platform::KeyringKey("bob", "pop.example.ru", 995), kKey);
}

TEST(QtKeyring, WhatItWritesSecretToolFindsAndItReadsBackUntilRemoved) {
  const GnomeKeyring daemon;
  platform::QtKeyring keyring;
  EXPECT_TRUE(keyring.Available());
  const platform::KeyringWrite written = keyring.Write(kKey, kPassword);
  ASSERT_TRUE(written.stored) << written.error;
  EXPECT_EQ(GnomeKeyring::Lookup(kKey), kPassword);
  const platform::KeyringRead read = keyring.Read(kKey);
  EXPECT_EQ(read.outcome, Outcome::kPassword) << read.error;
  EXPECT_EQ(read.password, kPassword);

  EXPECT_TRUE(keyring.Remove(kKey));
  EXPECT_EQ(GnomeKeyring::Lookup(kKey), "");
  EXPECT_EQ(keyring.Read(kKey).outcome, Outcome::kNoEntry);
  EXPECT_TRUE(keyring.Remove(kKey)) << "an entry that is gone counts as removed";
}

TEST(QtKeyring, ALockedEntryIsLockedNotMissingUntilTheKeyringIsUnlocked) {
  GnomeKeyring daemon;
  GnomeKeyring::Store(kKey, kPassword);
  daemon.Lock();
  platform::QtKeyring keyring;
  EXPECT_TRUE(keyring.Available());
  EXPECT_EQ(keyring.Read(kKey).outcome, Outcome::kLocked);
  EXPECT_EQ(keyring.Read("nobody@pop.example.ru:995").outcome, Outcome::kNoEntry);

  daemon.Unlock();
  const platform::KeyringRead read = keyring.Read(kKey);
  EXPECT_EQ(read.outcome, Outcome::kPassword) << read.error;
  EXPECT_EQ(read.password, kPassword);
}

// As at a login that did not unlock the keyring.
TEST(QtKeyring, AKeyringStartedLockedReadsAsLocked) {
  const GnomeKeyring daemon(GnomeKeyring::Start::kLocked, {{kKey, kPassword}});
  EXPECT_EQ(platform::QtKeyring().Read(kKey).outcome, Outcome::kLocked);
}

TEST(QtKeyring, WithoutAKeyringServiceNothingIsStored) {
  ASSERT_TRUE(testsupport::NoSecretServiceOnBus());
  platform::QtKeyring keyring;
  EXPECT_FALSE(keyring.Available());
  const platform::KeyringRead read = keyring.Read(kKey);
  EXPECT_EQ(read.outcome, Outcome::kUnavailable);
  EXPECT_FALSE(read.error.empty());
  EXPECT_FALSE(keyring.Write(kKey, kPassword).stored);
}

}  // namespace
