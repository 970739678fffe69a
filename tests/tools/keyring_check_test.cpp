// tessaro-check --keyring, the real binary on the test's private bus: it logs
// into a real Dovecot with the password of the entry Tessaro's settings write,
// and says why when the keyring gives none.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/dovecot_server.h"
#include "tests/support/gnome_keyring.h"
#include "tests/support/qt_environment.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_files.h"

namespace {

using testsupport::DovecotServer;
using testsupport::GnomeKeyring;
using testsupport::ProgramResult;
using ::testing::HasSubstr;

constexpr int kNoPassword = 5;

ProgramResult CheckWithKeyring(int port) {
  const testsupport::TempDir state;
  return testsupport::RunProgram(
      {TESSARO_CHECK_BINARY, "--keyring", "--port", std::to_string(port), "--timeout", "20", "127.0.0.1", "bob"},
      {"XDG_STATE_HOME=" + state.Path().string()}, "not-this-one\n");
}

std::string Key(const DovecotServer& server) { return "bob@127.0.0.1:" + std::to_string(server.Port()); }

TEST(KeyringCheck, LogsInWithTheKeyringsPasswordAndPrintsItNowhere) {
  const DovecotServer server({{"bob", "from-keyring", {"Subject: one\r\n\r\nbody\r\n"}}});
  const GnomeKeyring daemon(GnomeKeyring::Start::kUnlocked, {{Key(server), "from-keyring"}});
  const ProgramResult result = CheckWithKeyring(server.Port());
  EXPECT_EQ(result.exitStatus, 0) << result.err;
  EXPECT_THAT(result.out, HasSubstr("\"count\":1"));
  EXPECT_EQ(result.out.find("from-keyring"), std::string::npos);
  EXPECT_EQ(result.err.find("from-keyring"), std::string::npos);
}

TEST(KeyringCheck, ALockedKeyringIsNamedAndNothingIsTried) {
  const DovecotServer server({testsupport::MailboxUser{"bob", "from-keyring", {}}});
  const GnomeKeyring daemon(GnomeKeyring::Start::kLocked, {{Key(server), "from-keyring"}});
  const ProgramResult result = CheckWithKeyring(server.Port());
  EXPECT_EQ(result.exitStatus, kNoPassword);
  EXPECT_THAT(result.err, HasSubstr("связка ключей заблокирована"));
  EXPECT_EQ(result.out, "");
}

TEST(KeyringCheck, AMissingEntryIsNamed) {
  const DovecotServer server({testsupport::MailboxUser{"bob", "from-keyring", {}}});
  const GnomeKeyring daemon;
  const ProgramResult result = CheckWithKeyring(server.Port());
  EXPECT_EQ(result.exitStatus, kNoPassword);
  EXPECT_EQ(result.err, "в связке ключей нет пароля " + Key(server) + "\n");
}

TEST(KeyringCheck, WithoutAKeyringServiceTheProgramSaysSo) {
  ASSERT_TRUE(testsupport::NoSecretServiceOnBus());
  const ProgramResult result = CheckWithKeyring(110);
  EXPECT_EQ(result.exitStatus, kNoPassword);
  EXPECT_THAT(result.err, HasSubstr("связка ключей недоступна"));
}

}  // namespace
