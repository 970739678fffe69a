// The POP3 session over TLS: POP3S and STLS against a real Dovecot with
// certificates made for the test, and STLS exchanges a real server will not
// produce against the scripted fake.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>
#include <sstream>
#include <thread>

#include "mail/mail_error.h"
#include "mail/pop3_session.h"
#include "platform/cp1251.h"
#include "tests/mail/session_events.h"
#include "tests/support/closed_port.h"
#include "tests/support/dovecot_server.h"
#include "tests/support/fake_pop3_server.h"
#include "tests/support/local_session.h"
#include "tests/support/test_certificates.h"

namespace {

using namespace testsupport;
using mail::TKelPOP;
using platform::Security;
using text::operator""_cp1251;
using ::testing::ElementsAre;
using ::testing::StartsWith;

const std::vector<std::string> kMessages = {
    "From: Anna <anna@example.org>\r\nTo: bob@example.org\r\nSubject: over tls\r\n\r\nHello.\r\n",
};

// SSL_CERT_FILE for one case: the test CA, or nothing, so that only the
// system's store counts; the previous value comes back afterwards.
class TrustedCa {
 public:
  explicit TrustedCa(const std::string& file) {
    if (const char* old = ::getenv("SSL_CERT_FILE")) old_ = old;
    if (file.empty()) ::unsetenv("SSL_CERT_FILE");
    else ::setenv("SSL_CERT_FILE", file.c_str(), 1);
  }
  ~TrustedCa() {
    if (old_.empty()) ::unsetenv("SSL_CERT_FILE");
    else ::setenv("SSL_CERT_FILE", old_.c_str(), 1);
  }

 private:
  std::string old_;
};

std::unique_ptr<DovecotServer> StartDovecot(const CertificateFiles& files) {
  return std::make_unique<DovecotServer>(std::vector<MailboxUser>{{"bob", "secret", kMessages}},
                                         DovecotTls{files.cert, files.key});
}

std::unique_ptr<TKelPOP> MakeSession(const std::string& host, int port, Security security,
                                     const std::string& pin = {}) {
  return MakeLocalSession(port, {.host = host, .security = security, .pin = pin});
}

// For each of the first `count` logins in the server's log: "TLS" when it came
// over TLS, "plain" otherwise.
std::vector<std::string> LoginProtections(const DovecotServer& server, std::size_t count) {
  std::vector<std::string> found;
  for (int attempt = 0; attempt < 100 && found.size() < count; ++attempt) {
    std::this_thread::sleep_for(milliseconds(50));
    found.clear();
    std::istringstream log(server.Log());
    for (std::string line; std::getline(log, line);)
      if (line.find("Login: user=<bob>") != std::string::npos)
        found.push_back(line.find(", TLS,") != std::string::npos ? "TLS" : "plain");
  }
  return found;
}

// Logs in, counts and retrieves the one message; the session must stay error-free.
void ExpectWholePass(TKelPOP& session, const std::string& name) {
  SessionEvents events(session);
  session.Connect();
  ASSERT_TRUE(session.Connected()) << name << ": " << session.ConnectErrorText();
  EXPECT_EQ(session.ConnectErrorText(), "") << name;
  ASSERT_TRUE(session.Login()) << name;
  session.CountNew();
  EXPECT_EQ(session.MsgCount(), 1u) << name;
  const auto message = session.Retrieve(1);
  ASSERT_TRUE(message) << name;
  EXPECT_EQ(message->Subject, "over tls") << name;
  session.Quit();
  EXPECT_THAT(events.lines, ElementsAre("connect", "quit")) << name;
}

TEST(Pop3Tls, LogsInAndRetrievesOverPop3sAndStls) {
  TestCertificates certificates;
  const TrustedCa trust(certificates.CaFile());
  const auto server = StartDovecot(certificates.Localhost());
  struct Case {
    const char* name;
    std::string host;
    int port;
    Security security;
  } cases[] = {
      {"POP3S by name", "localhost", server->SecurePort(), Security::Tls},
      {"POP3S by address", "127.0.0.1", server->SecurePort(), Security::Tls},
      {"STLS by name", "localhost", server->Port(), Security::StartTls},
  };
  for (const auto& c : cases) ExpectWholePass(*MakeSession(c.host, c.port, c.security), c.name);
  // The server's own word that each login came over TLS; its log is written
  // by a process of its own, so it may lag behind the replies a moment.
  const std::vector<std::string> expected(std::size(cases), "TLS");
  EXPECT_EQ(LoginProtections(*server, expected.size()), expected) << server->Log();
}

TEST(Pop3Tls, PinnedCertificateIsAcceptedWhateverItsChainNameOrDates) {
  TestCertificates certificates;
  const TrustedCa noTrust("");
  struct Case {
    const char* name;
    CertificateFiles files;
    bool upperCasePin;
  } cases[] = {
      {"self-signed, pin in capitals", certificates.SelfSigned(), true},
      {"issued for another host", certificates.OtherHost(), false},
      {"expired", certificates.Expired(), false},
  };
  for (const auto& c : cases) {
    const auto server = StartDovecot(c.files);
    std::string pin = TestCertificates::Sha256(c.files.cert);
    if (c.upperCasePin) std::transform(pin.begin(), pin.end(), pin.begin(), ::toupper);
    ExpectWholePass(*MakeSession("localhost", server->SecurePort(), Security::Tls, pin), c.name);
  }
}

TEST(Pop3Tls, CertificatesThatDoNotHoldEndTheSessionWithTheReason) {
  TestCertificates certificates;
  const std::string otherPin = TestCertificates::Sha256(certificates.SelfSigned().cert);
  struct Case {
    const char* name;
    CertificateFiles served;
    bool trustTestCa;
    std::string pin;
    std::string reason;
    bool untrusted;
    platform::CertificateProblem problem = platform::CertificateProblem::kIssuer;
  } cases[] = {
      {"issued for another host", certificates.OtherHost(), true, "",
       std::string("Сертификат сервера выдан для другого имени"_cp1251), true, platform::CertificateProblem::kOtherHost},
      {"expired", certificates.Expired(), true, "", std::string("Срок действия сертификата сервера истёк"_cp1251),
       true, platform::CertificateProblem::kExpired},
      {"signed by itself", certificates.SelfSigned(), true, "",
       std::string("Сертификат сервера не подтверждён: self-signed certificate"_cp1251), true},
      {"CA not trusted", certificates.Localhost(), false, "",
       std::string("Сертификат сервера не подтверждён: unable to get local issuer certificate"_cp1251), true},
      {"another certificate under the pin", certificates.Localhost(), true, otherPin,
       std::string("Сертификат сервера не совпадает с доверенным"_cp1251), false},
  };
  for (const auto& c : cases) {
    const TrustedCa trust(c.trustTestCa ? certificates.CaFile() : "");
    const auto server = StartDovecot(c.served);
    for (const Security security : {Security::Tls, Security::StartTls}) {
      const int port = security == Security::Tls ? server->SecurePort() : server->Port();
      auto session = MakeSession("localhost", port, security, c.pin);
      SessionEvents events(*session);
      session->Connect();
      EXPECT_FALSE(session->Connected()) << c.name;
      EXPECT_TRUE(session->ReplyError()) << c.name;
      EXPECT_EQ(session->ConnectErrorText(), c.reason) << c.name;
      EXPECT_EQ(session->PeerCertSha256(), TestCertificates::Sha256(c.served.cert)) << c.name;
      EXPECT_EQ(session->CertificateUntrusted(), c.untrusted) << c.name;
      if (c.untrusted) {
        EXPECT_EQ(session->CertificateProblem(), c.problem) << c.name;
      }
      EXPECT_THROW(session->Login(), mail::MailError) << c.name;
      EXPECT_THAT(events.lines, ElementsAre("connect", "quit")) << c.name;
    }
  }
}

TEST(Pop3Tls, TheTestCaMakesTheGoodCertificatePassWithoutAPin) {
  TestCertificates certificates;
  const auto server = StartDovecot(certificates.Localhost());
  for (const bool trusted : {false, true}) {
    const TrustedCa trust(trusted ? certificates.CaFile() : "");
    auto session = MakeSession("localhost", server->SecurePort(), Security::Tls);
    session->Connect();
    EXPECT_EQ(session->Connected(), trusted);
    EXPECT_EQ(session->CertificateUntrusted(), !trusted);
    session->Quit();
  }
}

TEST(Pop3Tls, ANextConnectClearsTheLastFailure) {
  TestCertificates certificates;
  const TrustedCa trust(certificates.CaFile());
  const auto server = StartDovecot(certificates.OtherHost());
  auto session = MakeSession("localhost", server->SecurePort(), Security::Tls);
  session->Connect();
  ASSERT_FALSE(session->ConnectErrorText().empty());
  session->CertSha256 = session->PeerCertSha256();
  session->Connect();
  EXPECT_TRUE(session->Connected());
  EXPECT_EQ(session->ConnectErrorText(), "");
  EXPECT_EQ(session->PeerCertSha256(), "");
  EXPECT_FALSE(session->CertificateUntrusted());
  session->Quit();
}

// STLS exchanges only a scripted server produces. Nothing may follow on the
// wire: the fake records any command the client writes after its script.
TEST(Pop3Stls, RefusalOrAFailedHandshakeEndsTheSessionBeforeTheLogin) {
  struct Case {
    const char* name;
    std::vector<Step> afterStls;
    std::string reasonStart;
  } cases[] = {
      {"STLS refused", {Server("-ERR not here\r\n")},
       std::string("Сервер отказался включить TLS: not here"_cp1251)},
      // A man in the middle adds a line of its own after the "+OK" and then
      // cannot speak TLS: the line must not be taken as the server's.
      {"bytes injected after +OK", {Server("+OK Begin TLS\r\n+OK injected\r\n"), Silence(milliseconds(300)), Drop()},
       std::string("Ошибка TLS: "_cp1251)},
  };
  for (const auto& c : cases) {
    std::vector<Step> script = {Server("+OK ready\r\n"), Client("STLS\r\n")};
    script.insert(script.end(), c.afterStls.begin(), c.afterStls.end());
    FakePop3Server server(script);
    auto session = MakeSession("localhost", server.Port(), Security::StartTls);
    SessionEvents events(*session);
    session->Connect();
    EXPECT_FALSE(session->Connected()) << c.name;
    EXPECT_THAT(session->ConnectErrorText(), StartsWith(c.reasonStart)) << c.name;
    EXPECT_FALSE(session->CertificateUntrusted()) << c.name;
    EXPECT_THAT(events.lines, ElementsAre("connect", "quit")) << c.name;
    EXPECT_THROW(session->Login(), mail::MailError) << c.name;
    EXPECT_THAT(server.Finish(), ElementsAre()) << c.name;
  }
}

TEST(Pop3Stls, ARefusedOpenIsReportedInConnectErrorText) {
  const ClosedPort closed;
  auto session = MakeSession("127.0.0.1", closed.Port(), Security::Tls);
  session->Connect();
  EXPECT_FALSE(session->Connected());
  EXPECT_THAT(session->ConnectErrorText(), StartsWith("127.0.0.1: "));
}

}  // namespace
