// A mailbox that takes only TLS and refuses LAST, through the whole window:
// the pass reads and announces its mail, and the delete removes the shown
// message there, over the account's own security and port.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/window/main_form.h"
#include "desktop/qor_status_bar.h"
#include "tests/app/main_form_fixture.h"
#include "tests/support/dovecot_server.h"
#include "tests/support/test_certificates.h"

namespace {

using namespace testsupport;
using ::testing::ElementsAre;

struct SecureCase {
  const char* name;
  platform::Security security;
  bool securePort;  // POP3S listens on a port of its own
};

class TlsAccount : public MainFormTest, public ::testing::WithParamInterface<SecureCase> {};

TEST_P(TlsAccount, MailIsReadAnnouncedAndDeleted) {
  const TestCertificates certificates;
  ::setenv("SSL_CERT_FILE", certificates.CaFile().c_str(), 1);
  DovecotServer server({{"bob", "secret", {Message("anna@example.org", "m1", "One."),
                                           Message("vera@example.org", "m2", "Two.")}}},
                       DovecotTls{certificates.Localhost().cert, certificates.Localhost().key});
  Settings.ShowDialog = true;
  Settings.AccountList = {{"localhost", "bob", "secret", true}};
  Settings.AccountList[0].Security = GetParam().security;
  auto& form = MakeForm(GetParam().securePort ? server.SecurePort() : server.Port());
  form.FormCreate();

  EXPECT_THAT(Subjects(), ElementsAre("m1", "m2"));
  ASSERT_NE(form.NewMesWin().NewMesWin(), nullptr);
  EXPECT_EQ(form.NewMesWin().NewMesWin()->NewCount(), 2);
  EXPECT_TRUE(server.Logged(", TLS")) << server.Log();

  Boxes->Expect(BoxKind::Confirm, QStringLiteral("Вы действительно хотите удалить текущее сообщение?"), true);
  form.TBDeleteClick();
  EXPECT_EQ(server.MessagesStored("bob"), 1u);
  EXPECT_THAT(Subjects(), ElementsAre("m2"));
  EXPECT_EQ(form.QorStatusBar1()->SimpleText().toStdString(), "Письмо удалено!");
  ::unsetenv("SSL_CERT_FILE");
}

INSTANTIATE_TEST_SUITE_P(Secure, TlsAccount,
                         ::testing::Values(SecureCase{"Pop3s", platform::Security::Tls, true},
                                           SecureCase{"Stls", platform::Security::StartTls, false}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
