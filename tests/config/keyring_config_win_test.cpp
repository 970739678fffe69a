// The configuration dialog with a real GNOME Keyring on the test's private
// bus, looked into with secret-tool: OK writes each account's password into
// the keyring and the file then keeps none; a deleted account takes its entry
// along; without a keyring service one line says where passwords are kept.
#include <gtest/gtest.h>

#include <QLabel>

#include <string>

#include "config/keyring_passwords.h"
#include "config/main_settings.h"
#include "config/scramble.h"
#include "platform/qt_keyring.h"
#include "tests/config/config_win_fixture.h"
#include "tests/support/gnome_keyring.h"

namespace {

using config::TAccountList;
using config::TServer;
using testsupport::GnomeKeyring;

constexpr const char* kBob = "bob@pop.example.ru:995";
constexpr const char* kAlice = "alice@pop.example.ru:995";

TServer Account(const std::string& user, const std::string& password) {
  TServer account("pop.example.ru", user, password, true);
  account.Port = 995;
  return account;
}

class KeyringConfigWin : public testsupport::ConfigWinFixture {
 protected:
  // The settings as the main window stores them after the dialog's OK.
  void Save(const TAccountList& accounts) {
    config::TMainSettings settings;
    settings.AccountList = accounts;
    platform::IniRegistryStore store = Store();
    config::SaveMainSettings(store, settings);
  }
  std::string Stored(const std::string& name) const { return Store().ReadString("Servers", name, "<missing>"); }

  platform::QtKeyring keyring_;
};

TEST_F(KeyringConfigWin, OkWritesThePasswordsAndTheFileKeepsNone) {
  const GnomeKeyring daemon;
  TAccountList accounts = {Account("bob", "secret")};
  auto win = Open(accounts, nullptr, &keyring_);
  EXPECT_TRUE(win->PasswordsNote()->isHidden());
  win->OkBtnClick();
  ASSERT_EQ(win->result(), QDialog::Accepted);

  EXPECT_EQ(GnomeKeyring::Lookup(kBob), "secret");
  Save(accounts);
  EXPECT_EQ(Stored("Passwd0"), "");
  EXPECT_EQ(Stored("PasswdInKeyring0"), "1");
  EXPECT_EQ(Stored("UserId0"), config::ScrambleText("bob"));
}

TEST_F(KeyringConfigWin, AChangedPasswordReplacesItsEntry) {
  const GnomeKeyring daemon;
  TAccountList accounts = {Account("bob", "secret")};
  Open(accounts, nullptr, &keyring_)->OkBtnClick();
  auto win = Open(accounts, nullptr, &keyring_);
  testsupport::Type(*win->Passwd(), QStringLiteral("новый"));
  win->OkBtnClick();

  EXPECT_EQ(GnomeKeyring::Lookup(kBob), "новый");
  EXPECT_EQ(accounts.at(0).PasswdKeyringKey, kBob);
}

TEST_F(KeyringConfigWin, ADeletedAccountsEntryGoesAtOk) {
  const GnomeKeyring daemon;
  TAccountList accounts = {Account("bob", "secret"), Account("alice", "other")};
  Open(accounts, nullptr, &keyring_)->OkBtnClick();
  ASSERT_EQ(GnomeKeyring::Lookup(kBob), "secret");
  auto win = Open(accounts, nullptr, &keyring_);
  testsupport::Pick(*win, 0);
  win->BtnDeleteClick();
  EXPECT_EQ(GnomeKeyring::Lookup(kBob), "secret") << "nothing goes before OK";
  win->OkBtnClick();

  EXPECT_EQ(GnomeKeyring::Lookup(kBob), "");
  EXPECT_EQ(GnomeKeyring::Lookup(kAlice), "other");
}

TEST_F(KeyringConfigWin, WithoutAKeyringServiceTheNoteShowsAndThePasswordStaysInTheFile) {
  ASSERT_TRUE(testsupport::NoSecretServiceOnBus());
  TAccountList accounts = {Account("bob", "secret")};
  auto win = Open(accounts, nullptr, &keyring_);
  EXPECT_FALSE(win->PasswordsNote()->isHidden());
  EXPECT_EQ(win->PasswordsNote()->text().toStdString(), "Пароли хранятся в файле настроек: связка ключей недоступна");
  win->OkBtnClick();
  ASSERT_EQ(win->result(), QDialog::Accepted);

  Save(accounts);
  EXPECT_EQ(Stored("Passwd0"), config::ScrambleText("secret"));
  EXPECT_EQ(Stored("PasswdInKeyring0"), "<missing>");
}

}  // namespace
