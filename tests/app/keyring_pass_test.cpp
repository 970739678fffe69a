// The check pass with its passwords in a real GNOME Keyring on the test's
// private bus: the window logs in with the keyring's password, a locked
// keyring puts the account off, with no box, until it is unlocked, and an
// older file's password moves into the keyring when the window saves.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/window/main_form.h"
#include "config/keyring_passwords.h"
#include "config/scramble.h"
#include "desktop/qor_status_bar.h"
#include "platform/qt_keyring.h"
#include "tests/app/main_form_fixture.h"
#include "tests/support/dovecot_server.h"
#include "tests/support/gnome_keyring.h"

namespace {

using namespace testsupport;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::string Status(app::TMainForm& form) { return form.QorStatusBar1()->SimpleText().toStdString(); }

class KeyringPassTest : public MainFormTest {
 protected:
  KeyringPassTest() { Keyring = std::make_shared<platform::QtKeyring>(); }

  // Bob's account on `port`, stored as in the keyring; the file keeps no password.
  std::string StoreBobInKeyring(int port) {
    config::TServer bob("127.0.0.1", "bob", "secret", true);
    bob.Port = port;
    bob.PasswdKeyringKey = config::PasswordKey(bob);
    Settings.AccountList = {bob};
    StoreSettings();
    EXPECT_EQ(StoredSettings().ReadString("Servers", "Passwd0", "<missing>"), "");
    return bob.PasswdKeyringKey;
  }
};

TEST_F(KeyringPassTest, ThePassLogsInWithTheKeyringsPassword) {
  DovecotServer server({{"bob", "secret", {Message("anna@example.org", "from Dovecot", "Body.")}}});
  const std::string key = StoreBobInKeyring(server.Port());
  const GnomeKeyring daemon(GnomeKeyring::Start::kUnlocked, {{key, "secret"}});
  auto& form = MakeForm(server.Port());
  form.FormCreate();

  EXPECT_THAT(Subjects(), ElementsAre("from Dovecot"));
  EXPECT_EQ(Status(form), "Прочитано писем: 1");
}

// The first pass finds the keyring locked and does not log in: the server's
// only script is the pass after the unlock.
TEST_F(KeyringPassTest, ALockedKeyringPutsThePassOffUntilItIsUnlocked) {
  FakePop3Server server(PassScript({Message("anna@example.org", "after unlock", "Body.")}, "+OK 0\r\n"));
  const std::string key = StoreBobInKeyring(server.Port());
  GnomeKeyring daemon(GnomeKeyring::Start::kLocked, {{key, "secret"}});
  auto& form = MakeForm(server.Port());
  form.FormCreate();
  EXPECT_THAT(Subjects(), IsEmpty());
  EXPECT_EQ(Status(form), "Прочитано писем: 0. Отложено ящиков: 1 (bob - связка ключей заблокирована)");
  form.Timer1Timer();
  EXPECT_EQ(Status(form), "Прочитано писем: 0. Отложено ящиков: 1 (bob - связка ключей заблокирована)");

  daemon.Unlock();
  form.Timer1Timer();
  EXPECT_THAT(Subjects(), ElementsAre("after unlock"));
  EXPECT_EQ(Status(form), "Прочитано писем: 1");
  EXPECT_THAT(server.Finish(), IsEmpty());
}

// The user opens the dialog and presses OK without a change: the window stores its settings.
TEST_F(KeyringPassTest, AnOlderFilesPasswordMovesIntoTheKeyringWhenTheWindowStoresItsSettings) {
  const std::vector<std::string> messages = {Message("anna@example.org", "one", "Body.")};
  FakePop3Server server(std::vector<std::vector<Step>>{PassScript(messages, "+OK 0\r\n"),
                                                       PassScript(messages, "+OK 1\r\n")});
  Settings.AccountList = {{"127.0.0.1", "bob", "secret", true}};
  ConfigDialog = [](config::TAccountList&, config::TMainSettings&) { return true; };
  const GnomeKeyring daemon;
  auto& form = MakeForm(server.Port());
  ASSERT_EQ(StoredSettings().ReadString("Servers", "Passwd0", ""), config::ScrambleText("secret"));
  form.FormCreate();
  EXPECT_EQ(GnomeKeyring::Lookup("bob@127.0.0.1:" + std::to_string(server.Port())), "") << "reading moves nothing";

  form.TBConfigClick();
  EXPECT_EQ(GnomeKeyring::Lookup("bob@127.0.0.1:" + std::to_string(server.Port())), "secret");
  EXPECT_EQ(StoredSettings().ReadString("Servers", "Passwd0", "<missing>"), "");
  EXPECT_EQ(StoredSettings().ReadString("Servers", "PasswdInKeyring0", ""), "1");
  EXPECT_THAT(Subjects(), ElementsAre("one"));
  EXPECT_THAT(server.Finish(), IsEmpty());
}

}  // namespace
