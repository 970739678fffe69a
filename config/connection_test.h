// Tries one account against its server: connect, log in, quit. The report
// tells how far it came, in Windows-1251:
//   "Подключение к серверу (host): Ошибка!\rwhy"                  no connection
//   "Подключение к серверу (host): Ok!\rВход под имемем (user): Ошибка!"   login refused
//   "Подключение к серверу (host): Ok!\rВход под имемем (user): Ok!"       login accepted
// Its line breaks are lone CRs; "why" is the session's reason, left out when
// it gave none.
#pragma once

#include <string>

#include "config/server.h"
#include "mail/pop3_session.h"

namespace config {

struct TConnectionTestResult {
  std::string Report;
  // The server's certificate (64 hex digits) when the connection failed only
  // because that certificate could not be verified; empty otherwise.
  std::string UntrustedCertSha256;
  // Why it could not be verified, when UntrustedCertSha256 is set.
  platform::CertificateProblem Problem = platform::CertificateProblem::kIssuer;
};

// Sets the session's Host, UserId, Passwd, Security, Port and CertSha256 from
// `account`. Whatever Connect raises counts as no connection. What Login
// raises goes on to the caller, after the session has quit.
TConnectionTestResult TestConnection(mail::TKelPOP& session, TServer account);

// "AB:CD:..." of 64 hex digits, as certificate viewers show a fingerprint.
std::string FingerprintText(const std::string& sha256);

// The question whether to trust exactly that certificate for the account.
// A certificate of another host or outside its dates is not what a private
// server has: the question says so and asks again with the reason.
std::string TrustQuestion(const std::string& sha256,
                          platform::CertificateProblem problem = platform::CertificateProblem::kIssuer);

}  // namespace config
