#include "config/connection_test.h"

#include <cctype>
#include <exception>
#include <utility>

#include "config/account_session.h"
#include "platform/cp1251.h"

namespace config {

namespace {

using text::operator""_cp1251;

// The reason the session gives; what Connect raised when it gave none.
std::string ConnectQuietly(mail::TKelPOP& session) {
  try {
    session.Connect();
  } catch (const std::exception& error) {
    return session.ConnectErrorText().empty() ? error.what() : session.ConnectErrorText();
  }
  return session.ConnectErrorText();
}

}  // namespace

TConnectionTestResult TestConnection(mail::TKelPOP& session, TServer account) {
  CopyAccount(account, session);
  TConnectionTestResult result;
  std::string& report = result.Report;
  report = std::string("Подключение к серверу ("_cp1251) + session.Host + "): ";
  const std::string why = ConnectQuietly(session);
  if (!session.Connected()) {
    report += std::string("Ошибка!"_cp1251);
    if (!why.empty()) report += "\r" + why;
    if (session.CertificateUntrusted()) {
      result.UntrustedCertSha256 = session.PeerCertSha256();
      result.Problem = session.CertificateProblem();
    }
    return result;
  }

  report += "Ok!\r";
  report += std::string("Вход под имемем ("_cp1251) + session.UserId + "): ";
  try {
    report += session.Login() ? std::string("Ok!") : std::string("Ошибка!"_cp1251);
  } catch (...) {
    session.Quit();
    throw;
  }
  session.Quit();
  return result;
}

std::string FingerprintText(const std::string& sha256) {
  std::string text;
  for (std::size_t at = 0; at < sha256.size(); at += 2) {
    if (at > 0) text += ':';
    for (const char digit : sha256.substr(at, 2)) text += static_cast<char>(std::toupper(static_cast<unsigned char>(digit)));
  }
  return text;
}

std::string TrustQuestion(const std::string& sha256, platform::CertificateProblem problem) {
  using platform::CertificateProblem;
  const std::string fingerprint = std::string("\rSHA-256: ") + FingerprintText(sha256);
  if (problem == CertificateProblem::kIssuer)
    return std::string("Сертификат сервера не удалось проверить."_cp1251) + fingerprint +
           std::string("\rДоверять этому сертификату для этой учётной записи?"_cp1251);
  const char* fact = problem == CertificateProblem::kOtherHost   ? "Сертификат сервера выдан для другого имени."
                     : problem == CertificateProblem::kExpired ? "Срок действия сертификата сервера истёк."
                                                               : "Срок действия сертификата сервера ещё не начался.";
  const char* despite = problem == CertificateProblem::kOtherHost ? "он выдан для другого имени"
                        : problem == CertificateProblem::kExpired ? "срок его действия истёк"
                                                                  : "срок его действия ещё не начался";
  return text::Utf8ToCp1251(std::string(fact) + fingerprint +
                            "\rТак бывает и тогда, когда соединение перехватил кто-то другой. Доверять этому "
                            "сертификату для этой учётной записи, хотя " +
                            despite + "?");
}

}  // namespace config
