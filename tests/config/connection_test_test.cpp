// "Проверка" against a real Dovecot server, a scripted peer, a closed port
// and a TLS peer whose certificate is not trusted, and the report of each.
#include "config/connection_test.h"

#include <gtest/gtest.h>

#include <QPushButton>

#include <deque>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "config/config_win.h"
#include "desktop/busy_cursor.h"
#include "desktop/qt_text.h"
#include "mail/mail_error.h"
#include "mail/pop3_session.h"
#include "platform/cp1251.h"
#include "tests/config/config_win_fixture.h"
#include "tests/support/closed_port.h"
#include "tests/support/dovecot_server.h"
#include "tests/support/fake_pop3_server.h"
#include "tests/support/memory_tcp_client.h"

namespace {

using config::TAccountList;
using config::TServer;
using testsupport::ShownBox;
using text::operator""_cp1251;

constexpr const char* kPin = "0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef";

QString Report(const char* utf8) { return QString::fromUtf8(utf8); }

class ConnectionTest : public testsupport::ConfigWinFixture {
 protected:
  // The dialog over one account, which is pointed at `port`.
  std::unique_ptr<config::TConfigWin> OpenFor(TServer account, int port) {
    account.Port = port;
    accounts_ = {account};
    auto win = Open(accounts_);
    win->KelPOP1().ReplyTimeoutMs = 20000;
    return win;
  }

  TAccountList accounts_;
};

class DovecotConnectionTest : public ConnectionTest {
 protected:
  DovecotConnectionTest() : server_({testsupport::MailboxUser{"bob", "secret", {}}}) {}
  testsupport::DovecotServer server_;
};

TEST_F(DovecotConnectionTest, ReportsEachStep) {
  struct Case {
    const char* name;
    const char* password;
    QString report;
  } cases[] = {
      {"login accepted", "secret",
       Report("Подключение к серверу (127.0.0.1): Ok!\rВход под имемем (bob): Ok!")},
      {"password refused", "wrong",
       Report("Подключение к серверу (127.0.0.1): Ok!\rВход под имемем (bob): Ошибка!")},
  };
  for (const Case& c : cases) {
    boxes_.Shown.clear();
    auto win = OpenFor(TServer("127.0.0.1", "bob", c.password, false), server_.Port());
    win->BtnTest()->click();
    EXPECT_EQ(boxes_.Shown, (std::vector<ShownBox>{{"information", c.report}})) << c.name;
    EXPECT_FALSE(win->KelPOP1().Connected()) << c.name;
    EXPECT_EQ(desktop::BusyDepth(), 0) << c.name;
  }
}

TEST_F(DovecotConnectionTest, TestingChangesNeitherTheAccountsNorTheDialog) {
  auto win = OpenFor(TServer("127.0.0.1", "bob", "secret", false), server_.Port());
  win->BtnTestClick();
  win->BtnTestClick();  // any number of times
  ASSERT_EQ(boxes_.Shown.size(), 2u);
  EXPECT_EQ(boxes_.Shown[0], boxes_.Shown[1]);
  TServer tested("127.0.0.1", "bob", "secret", false);
  tested.Port = server_.Port();
  EXPECT_EQ(win->WorkingAccounts(), TAccountList{tested});
  EXPECT_FALSE(win->CLBServers()->Checked(0));
  EXPECT_EQ(win->CLBServers()->item(0)->text(), QStringLiteral("127.0.0.1 (bob)"));
  EXPECT_EQ(win->CLBServers()->currentRow(), 0);
  EXPECT_EQ(win->KelPOP1().Port, std::to_string(server_.Port()));
  EXPECT_EQ(accounts_, TAccountList{tested});
}

TEST_F(ConnectionTest, ClosedPortIsAnErrorWithTheReasonOnTheNextLine) {
  const testsupport::ClosedPort closed;
  auto win = OpenFor(TServer("127.0.0.1", "bob", "secret", true), closed.Port());
  win->BtnTestClick();
  ASSERT_EQ(boxes_.Shown.size(), 1u);
  EXPECT_EQ(boxes_.Shown[0].kind, "information");
  const QStringList lines = boxes_.Shown[0].text.split(QLatin1Char('\r'));
  ASSERT_EQ(lines.size(), 2) << boxes_.Shown[0].text.toStdString();
  EXPECT_EQ(lines[0], Report("Подключение к серверу (127.0.0.1): Ошибка!"));
  EXPECT_EQ(lines[1], desktop::ToQString(win->KelPOP1().ConnectErrorText()));
  EXPECT_FALSE(lines[1].isEmpty());
  EXPECT_EQ(desktop::BusyDepth(), 0);
}

TEST_F(ConnectionTest, EmptyPasswordIsSentAsItIs) {
  testsupport::FakePop3Server server({
      testsupport::Server("+OK ready\r\n"),
      testsupport::Client("USER bob\r\n"),
      testsupport::Server("+OK\r\n"),
      testsupport::Client("PASS \r\n"),
      testsupport::Server("-ERR [AUTH] Authentication failed.\r\n"),
  });
  auto win = OpenFor(TServer("127.0.0.1", "bob", "", true), server.Port());
  win->BtnTestClick();
  EXPECT_TRUE(server.Finish().empty());
  EXPECT_EQ(boxes_.Shown,
            (std::vector<ShownBox>{
                {"information", Report("Подключение к серверу (127.0.0.1): Ok!\rВход под имемем (bob): Ошибка!")}}));
}

TEST_F(ConnectionTest, IncompleteAccountCannotBeTested) {
  const TServer cases[] = {TServer("localhost", "bob", "secret", true), TServer("127.0.0.1", "", "secret", true)};
  for (const TServer& account : cases) {
    auto win = OpenFor(account, 110);
    EXPECT_FALSE(win->BtnTest()->isEnabled()) << account.Host;
    win->BtnTestClick();
    EXPECT_TRUE(boxes_.Shown.empty()) << account.Host;
    EXPECT_FALSE(win->OkBtn()->isEnabled()) << account.Host << ": testing does not enable OK";
  }
}

// A connection that keeps its reply to USER back for one poll, so that the
// session serves events while it waits.
class SlowUserReplyClient : public testsupport::MemoryTcpClient {
 public:
  SlowUserReplyClient() : MemoryTcpClient("+OK ready\r\n", {"+OK\r\n", "+OK bye\r\n"}) {}
  bool WaitReadable(int timeoutMs) override {
    return std::exchange(holdBack_, false) ? false : MemoryTcpClient::WaitReadable(timeoutMs);
  }
  void Write(std::string_view data) override {
    MemoryTcpClient::Write(data);
    holdBack_ = data.starts_with("USER");
  }

 private:
  bool holdBack_ = false;
};

TEST(TestConnection, WhatLoginRaisesGoesOnAfterTheSessionQuit) {
  auto connection = std::make_unique<SlowUserReplyClient>();
  SlowUserReplyClient& client = *connection;
  bool raised = false;
  mail::TKelPOP session(std::move(connection), [&raised] {
    if (!std::exchange(raised, true)) throw std::runtime_error("raised while serving events");
  });
  EXPECT_THROW(config::TestConnection(session, TServer("pop.example.org", "bob", "secret", true)),
               std::runtime_error);
  EXPECT_EQ(client.written, "USER bob\r\nQUIT\r\n");
  EXPECT_FALSE(session.Connected());
}

TEST(TestConnection, CopiesTheWholeAccountIntoTheSession) {
  TServer account("pop.example.org", "bob", "secret", true);
  account.Security = platform::Security::StartTls;
  account.Port = 2110;
  account.CertSha256 = kPin;
  mail::TKelPOP session(std::make_unique<testsupport::MemoryTcpClient>("+OK ready\r\n", std::deque<std::string>{
                                                                           "+OK\r\n", "+OK\r\n", "+OK bye\r\n"}),
                        [] {});
  session.Security = platform::Security::Tls;
  config::TestConnection(session, account);
  EXPECT_EQ(session.Host, "pop.example.org");
  EXPECT_EQ(session.UserId, "bob");
  EXPECT_EQ(session.Passwd, "secret");
  EXPECT_EQ(session.Security, platform::Security::StartTls);
  EXPECT_EQ(session.Port, "2110");
  EXPECT_EQ(session.CertSha256, kPin);
}

TEST(TestConnection, FingerprintIsUpperCasePairsWithColons) {
  EXPECT_EQ(config::FingerprintText(kPin),
            "01:23:45:67:89:AB:CD:EF:01:23:45:67:89:AB:CD:EF:01:23:45:67:89:AB:CD:EF:01:23:45:67:89:AB:CD:EF");
}

// A server that speaks TLS from the first byte with a certificate of its own:
// the handshake fails the way the real client reports it.
class TlsRefusingClient : public testsupport::MemoryTcpClient {
 public:
  TlsRefusingClient(std::string fingerprint, bool untrusted, std::vector<std::string>& pins,
                    platform::CertificateProblem problem = platform::CertificateProblem::kIssuer)
      : MemoryTcpClient("", {}), fingerprint_(std::move(fingerprint)), untrusted_(untrusted), pins_(pins),
        problem_(problem) {}
  void StartTls(const std::string&, const std::string& pinnedSha256) override {
    pins_.push_back(pinnedSha256);
    throw platform::TlsError(text::Utf8ToCp1251("сертификат не заверен"), fingerprint_, untrusted_, problem_);
  }

 private:
  std::string fingerprint_;
  bool untrusted_;
  std::vector<std::string>& pins_;
  platform::CertificateProblem problem_;
};

// A connection whose write of USER raises, once, what `raise` throws.
class RaisingUserClient : public testsupport::MemoryTcpClient {
 public:
  explicit RaisingUserClient(std::function<void()> raise)
      : MemoryTcpClient("+OK ready\r\n", {"+OK bye\r\n"}), raise_(std::move(raise)) {}
  void Write(std::string_view data) override {
    if (data.starts_with("USER") && raise_) std::exchange(raise_, nullptr)();
    MemoryTcpClient::Write(data);
  }

 private:
  std::function<void()> raise_;
};

TEST_F(ConnectionTest, ErrorOfTheTestIsReadInTheTextEncodingOfItsType) {
  struct Case {
    const char* name;
    std::function<void()> raise;
  } cases[] = {
      {"the mail library's, Windows-1251", [] { throw mail::MailError(std::string("Сервер прервал вход"_cp1251)); }},
      {"any other, UTF-8", [] { throw std::runtime_error("Сервер прервал вход"); }},
  };
  for (const Case& c : cases) {
    boxes_.Shown.clear();
    accounts_ = {TServer("127.0.0.1", "bob", "secret", true)};
    auto win = Open(accounts_, std::make_unique<RaisingUserClient>(c.raise));
    win->BtnTest()->click();
    EXPECT_EQ(boxes_.Shown, (std::vector<ShownBox>{{"error", Report("Сервер прервал вход")}})) << c.name;
  }
}

// A certificate that is not what a private server has is named for what it
// is, and the question asks again with the reason.
TEST_F(ConnectionTest, TheTrustQuestionSaysWhyTheCertificateFailed) {
  using platform::CertificateProblem;
  const QString sha = QStringLiteral(
      "\rSHA-256: 01:23:45:67:89:AB:CD:EF:01:23:45:67:89:AB:CD:EF:01:23:45:67:89:AB:CD:EF:01:23:45:67:89:AB:CD:EF\r");
  const QString intercepted = QStringLiteral("Так бывает и тогда, когда соединение перехватил кто-то другой. ");
  struct Case {
    CertificateProblem problem;
    QString question;
  } cases[] = {
      {CertificateProblem::kIssuer,
       "Сертификат сервера не удалось проверить." + sha + "Доверять этому сертификату для этой учётной записи?"},
      {CertificateProblem::kOtherHost, "Сертификат сервера выдан для другого имени." + sha + intercepted +
                                           "Доверять этому сертификату для этой учётной записи, хотя он выдан для "
                                           "другого имени?"},
      {CertificateProblem::kExpired, "Срок действия сертификата сервера истёк." + sha + intercepted +
                                         "Доверять этому сертификату для этой учётной записи, хотя срок его действия "
                                         "истёк?"},
      {CertificateProblem::kNotYetValid, "Срок действия сертификата сервера ещё не начался." + sha + intercepted +
                                             "Доверять этому сертификату для этой учётной записи, хотя срок его "
                                             "действия ещё не начался?"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.problem));
    boxes_.Shown.clear();
    boxes_.ConfirmAnswer = false;
    std::vector<std::string> pins;
    TServer account("127.0.0.1", "bob", "secret", true);
    account.Security = platform::Security::Tls;
    account.Port = 995;
    accounts_ = {account};
    auto win = Open(accounts_, std::make_unique<TlsRefusingClient>(kPin, true, pins, c.problem));
    win->BtnTestClick();
    ASSERT_EQ(boxes_.Shown.size(), 2u);
    EXPECT_EQ(boxes_.Shown[1], (ShownBox{"confirm", c.question}));
  }
}

TEST_F(ConnectionTest, UntrustedCertificateIsShownAndPinnedOnlyWhenTheUserSaysSo) {
  const QString question = QStringLiteral(
      "Сертификат сервера не удалось проверить.\rSHA-256: "
      "01:23:45:67:89:AB:CD:EF:01:23:45:67:89:AB:CD:EF:01:23:45:67:89:AB:CD:EF:01:23:45:67:89:AB:CD:EF\r"
      "Доверять этому сертификату для этой учётной записи?");
  struct Case {
    const char* name;
    const char* fingerprint;
    bool untrusted;
    bool answer;
    bool asked;
    std::string pinned;
  } cases[] = {
      {"trusted on request", kPin, true, true, true, kPin},
      {"declined", kPin, true, false, true, ""},
      {"another fault than trust", kPin, false, true, false, ""},
      {"no certificate shown", "", true, true, false, ""},
  };
  for (const Case& c : cases) {
    boxes_.Shown.clear();
    boxes_.ConfirmAnswer = c.answer;
    std::vector<std::string> pins;
    TServer account("127.0.0.1", "bob", "secret", true);
    account.Security = platform::Security::Tls;
    account.Port = 995;
    accounts_ = {account};
    auto win = Open(accounts_, std::make_unique<TlsRefusingClient>(c.fingerprint, c.untrusted, pins));
    win->BtnTestClick();
    ASSERT_GE(boxes_.Shown.size(), 1u) << c.name;
    EXPECT_EQ(boxes_.Shown[0].kind, "information") << c.name;
    EXPECT_TRUE(boxes_.Shown[0].text.startsWith(Report("Подключение к серверу (127.0.0.1): Ошибка!\r"))) << c.name;
    EXPECT_TRUE(boxes_.Shown[0].text.contains(QStringLiteral("сертификат не заверен"))) << c.name;
    const std::vector<ShownBox> asked{boxes_.Shown[0], {"confirm", question}};
    EXPECT_EQ(boxes_.Shown, c.asked ? asked : std::vector<ShownBox>{boxes_.Shown[0]}) << c.name;
    EXPECT_EQ(win->WorkingAccounts()[0].CertSha256, c.pinned) << c.name;
    EXPECT_EQ(accounts_[0].CertSha256, "") << c.name << ": only OK hands the pin over";

    win->BtnTestClick();
    EXPECT_EQ(pins, (std::vector<std::string>{"", c.pinned})) << c.name << ": the next test offers the pin";
    win->OkBtnClick();
    EXPECT_EQ(accounts_[0].CertSha256, c.pinned) << c.name;
  }
}

}  // namespace
