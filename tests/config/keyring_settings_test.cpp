// The settings with a real GNOME Keyring on the test's private bus: a saved
// password is in the keyring and not in the file, an older file's password
// moves there at the first save, a keyring that cannot take it leaves the file
// as it always was, and a locked keyring leaves the password unread, not lost.
#include <gtest/gtest.h>

#include <string>

#include "config/keyring_passwords.h"
#include "config/main_settings.h"
#include "config/scramble.h"
#include "platform/ini_registry_store.h"
#include "platform/qt_keyring.h"
#include "tests/support/gnome_keyring.h"
#include "tests/support/qt_environment.h"
#include "tests/support/temp_files.h"

namespace {

using config::TMainSettings;
using config::TServer;
using testsupport::GnomeKeyring;

constexpr const char* kKey = "bob@pop.example.ru:995";
constexpr const char* kMissing = "<missing>";

class KeyringSettingsTest : public ::testing::Test {
 protected:
  platform::IniRegistryStore Store() const { return platform::IniRegistryStore(base_.Path(), "Software\\tessaro"); }
  std::string Stored(const std::string& name) const { return Store().ReadString("Servers", name, kMissing); }

  static TServer Bob() {
    TServer bob("pop.example.ru", "bob", "secret", true);
    bob.Port = 995;
    return bob;
  }

  // What the main window does at a save: passwords into the keyring, then the file.
  void Save(TMainSettings& settings, platform::Keyring* keyring) {
    if (keyring) config::StorePasswords(settings.AccountList, *keyring);
    platform::IniRegistryStore store = Store();
    config::SaveMainSettings(store, settings);
  }

  TMainSettings Restore(platform::Keyring* keyring) const {
    TMainSettings settings;
    platform::IniRegistryStore store = Store();
    config::RestoreMainSettings(store, settings, keyring);
    return settings;
  }

  // A file written before passwords went to the keyring.
  void WriteOlderFile() {
    platform::IniRegistryStore store = Store();
    store.WriteInteger("Servers", "Count", 1);
    store.WriteString("Servers", "Host0", "pop.example.ru");
    store.WriteString("Servers", "UserId0", config::ScrambleText("bob"));
    store.WriteString("Servers", "Passwd0", config::ScrambleText("secret"));
    store.WriteInteger("Servers", "Port0", 995);
  }

  testsupport::TempDir base_;
};

TEST_F(KeyringSettingsTest, ASavedPasswordIsInTheKeyringAndNotInTheFile) {
  const GnomeKeyring daemon;
  platform::QtKeyring keyring;
  TMainSettings settings;
  settings.AccountList = {Bob()};
  Save(settings, &keyring);

  EXPECT_EQ(GnomeKeyring::Lookup(kKey), "secret");
  EXPECT_EQ(Stored("Passwd0"), "");
  EXPECT_EQ(Stored("PasswdInKeyring0"), "1");
  EXPECT_EQ(Stored("UserId0"), config::ScrambleText("bob")) << "the user name stays in the file, scrambled";

  const TMainSettings restored = Restore(&keyring);
  ASSERT_EQ(restored.AccountList.size(), 1u);
  EXPECT_EQ(restored.AccountList[0].Passwd, "secret");
  EXPECT_FALSE(restored.AccountList[0].PasswdUnread);
}

TEST_F(KeyringSettingsTest, AnOlderFilesPasswordMovesIntoTheKeyringAtTheFirstSave) {
  WriteOlderFile();
  const GnomeKeyring daemon;
  platform::QtKeyring keyring;
  TMainSettings settings = Restore(&keyring);
  ASSERT_EQ(settings.AccountList.size(), 1u);
  EXPECT_EQ(settings.AccountList[0].Passwd, "secret") << "an older file reads as before";
  EXPECT_EQ(GnomeKeyring::Lookup(kKey), "") << "reading moves nothing";

  Save(settings, &keyring);
  EXPECT_EQ(GnomeKeyring::Lookup(kKey), "secret");
  EXPECT_EQ(Stored("Passwd0"), "");
  EXPECT_EQ(Stored("PasswdInKeyring0"), "1");
  EXPECT_EQ(Restore(&keyring).AccountList.at(0).Passwd, "secret");
}

TEST_F(KeyringSettingsTest, WithoutAKeyringServiceTheFileIsWrittenAsWithoutAKeyring) {
  ASSERT_TRUE(testsupport::NoSecretServiceOnBus());
  platform::QtKeyring keyring;
  TMainSettings settings;
  settings.AccountList = {Bob()};
  Save(settings, nullptr);
  const std::string withoutKeyring = testsupport::ReadFile(base_.Path() / "Software" / "tessaro.ini");
  Save(settings, &keyring);

  EXPECT_EQ(testsupport::ReadFile(base_.Path() / "Software" / "tessaro.ini"), withoutKeyring);
  EXPECT_EQ(Stored("Passwd0"), config::ScrambleText("secret"));
  EXPECT_EQ(Stored("PasswdInKeyring0"), kMissing);
  EXPECT_EQ(Restore(&keyring).AccountList.at(0).Passwd, "secret");
}

// The login keyring locked and nobody to answer the unlock prompt: the
// keyring refuses the write.
TEST_F(KeyringSettingsTest, AWriteTheKeyringRefusesLeavesThePasswordInTheFile) {
  WriteOlderFile();
  GnomeKeyring daemon;
  daemon.Lock();
  platform::QtKeyring keyring;
  TMainSettings settings = Restore(&keyring);
  EXPECT_FALSE(config::StorePasswords(settings.AccountList, keyring));
  Save(settings, &keyring);

  EXPECT_EQ(Stored("Passwd0"), config::ScrambleText("secret"));
  EXPECT_EQ(Stored("PasswdInKeyring0"), kMissing);
  daemon.Unlock();
  EXPECT_EQ(GnomeKeyring::Lookup(kKey), "");
}

TEST_F(KeyringSettingsTest, ALockedKeyringLeavesThePasswordUnreadAndTheFileAsItWas) {
  TMainSettings saved;
  saved.AccountList = {Bob()};
  saved.AccountList[0].PasswdKeyringKey = kKey;
  Save(saved, nullptr);
  ASSERT_EQ(Stored("PasswdInKeyring0"), "1");
  const GnomeKeyring daemon(GnomeKeyring::Start::kLocked, {{kKey, "secret"}});
  platform::QtKeyring keyring;
  TMainSettings settings = Restore(&keyring);
  ASSERT_EQ(settings.AccountList.size(), 1u);
  TServer& bob = settings.AccountList[0];
  EXPECT_TRUE(bob.PasswdUnread);
  EXPECT_EQ(bob.Passwd, "");

  Save(settings, &keyring);
  EXPECT_EQ(Stored("PasswdInKeyring0"), "1") << "a password not read yet keeps its place";
  EXPECT_EQ(config::ReadKeyringPassword(bob, &keyring), platform::KeyringRead::Outcome::kLocked);
  EXPECT_TRUE(bob.PasswdUnread);
}

TEST_F(KeyringSettingsTest, TheEntriesOfRemovedAccountsGoAndTheOthersStay) {
  const GnomeKeyring daemon;
  platform::QtKeyring keyring;
  TServer alice("pop.example.ru", "alice", "other", true);
  alice.Port = 995;
  config::TAccountList before = {Bob(), alice};
  ASSERT_TRUE(config::StorePasswords(before, keyring));
  const config::TAccountList after = {before[1]};
  config::RemoveDroppedPasswords(before, after, keyring);

  EXPECT_EQ(GnomeKeyring::Lookup(kKey), "");
  EXPECT_EQ(GnomeKeyring::Lookup("alice@pop.example.ru:995"), "other");
}

TEST_F(KeyringSettingsTest, AnEntryRemovedOutsideLeavesAnEmptyPasswordAndTheFileForgetsIt) {
  const GnomeKeyring daemon;
  platform::QtKeyring keyring;
  TMainSettings settings;
  settings.AccountList = {Bob()};
  Save(settings, &keyring);
  ASSERT_TRUE(keyring.Remove(kKey));

  TMainSettings restored = Restore(&keyring);
  EXPECT_EQ(restored.AccountList.at(0).Passwd, "");
  EXPECT_FALSE(restored.AccountList.at(0).PasswdUnread);
  Save(restored, &keyring);
  EXPECT_EQ(Stored("PasswdInKeyring0"), kMissing);
}

}  // namespace
