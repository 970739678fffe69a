// Neither the main window's pass nor the connection test shows the password:
// not in the status line, not in the tray tip, not in an error box (the
// fixture fails the test on any box it was not told of), not in the report.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <exception>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "config/connection_test.h"
#include "mail/pop3_session.h"
#include "tests/app/main_form_fixture.h"
#include "tests/support/closed_port.h"
#include "tests/support/dovecot_server.h"
#include "tests/support/fake_pop3_server.h"
#include "tests/support/local_session.h"
#include "tests/support/case_names.h"

namespace {

using namespace testsupport;

constexpr const char* kPassword = "Zq7-canary-pass-9fX";

struct Failure {
  const char* name;
  std::function<int(std::unique_ptr<DovecotServer>&, std::unique_ptr<FakePop3Server>&)> peer;
};

const Failure kFailures[] = {
    {"wrong password at a real server",
     [](std::unique_ptr<DovecotServer>& dovecot, std::unique_ptr<FakePop3Server>&) {
       dovecot = std::make_unique<DovecotServer>(std::vector<MailboxUser>{{"bob", "the-right-one", {}}});
       return dovecot->Port();
     }},
    {"connection refused",
     [](auto&, auto&) {
       static const ClosedPort closed;  // held for the whole program, so every run finds it refused
       return closed.Port();
     }},
    {"server closes in the middle of the pass",
     [](auto&, std::unique_ptr<FakePop3Server>& fake) {
       fake = std::make_unique<FakePop3Server>(
           std::vector<Step>{Server("+OK ready\r\n"), Client("USER bob\r\n"), Server("+OK\r\n"),
                             Client("PASS " + std::string(kPassword) + "\r\n"), Server("+OK\r\n"),
                             Client("STAT\r\n"), Drop()});
       return fake->Port();
     }},
    {"server answers garbage",
     [](auto&, std::unique_ptr<FakePop3Server>& fake) {
       fake = std::make_unique<FakePop3Server>(
           std::vector<Step>{Server("+OK ready\r\n"), Client("USER bob\r\n"), Server("\x01\xFFgarbage\r\n"),
                             Client("PASS " + std::string(kPassword) + "\r\n"), Server("-ERR \x01\xFFgarbage\r\n")});
       return fake->Port();
     }},
};

void PrintTo(const Failure& c, std::ostream* out) { *out << c.name; }

class PasswordDisplay : public MainFormTest, public ::testing::WithParamInterface<Failure> {};

TEST_P(PasswordDisplay, FailedPassShowsNoPassword) {
  std::unique_ptr<DovecotServer> dovecot;
  std::unique_ptr<FakePop3Server> fake;
  const int port = GetParam().peer(dovecot, fake);
  Settings.AccountList = {{"127.0.0.1", "bob", kPassword, true}};
  auto& form = MakeForm(port);
  form.FormCreate();
  std::vector<std::string> shown = StatusDuringWaits;
  shown.insert(shown.end(), TipDuringWaits.begin(), TipDuringWaits.end());
  shown.push_back(form.QorStatusBar1()->SimpleText().toStdString());
  shown.push_back(form.NewTrayIcon1().Hint().toStdString());
  EXPECT_FALSE(StatusDuringWaits.empty()) << "the failure is reported";
  for (const std::string& text : shown) EXPECT_EQ(text.find(kPassword), std::string::npos) << text;
}

// The configuration dialog's connection test shows its report, or what the login raised, in a box.
TEST_P(PasswordDisplay, FailedConnectionTestReportsNoPassword) {
  std::unique_ptr<DovecotServer> dovecot;
  std::unique_ptr<FakePop3Server> fake;
  config::TServer account("127.0.0.1", "bob", kPassword, true);
  account.Port = GetParam().peer(dovecot, fake);
  const auto session = MakeLocalSession(account.Port, {.replyTimeoutMs = 5000});
  std::string report;
  try {
    report = config::TestConnection(*session, account).Report;
  } catch (const std::exception& error) {
    report = error.what();
  }
  EXPECT_FALSE(report.empty());
  EXPECT_EQ(report.find(kPassword), std::string::npos) << report;
}

INSTANTIATE_TEST_SUITE_P(Cases, PasswordDisplay, ::testing::ValuesIn(kFailures), testsupport::CaseName());

}  // namespace
