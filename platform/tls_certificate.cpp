#include "platform/tls_certificate.h"

#include <openssl/evp.h>
#include <openssl/x509.h>
#include <openssl/x509_vfy.h>

#include <utility>

#include "platform/cp1251.h"
#include "platform/hex_text.h"

namespace platform {

using text::operator""_cp1251;

std::string CertificateSha256(X509* certificate) {
  if (certificate == nullptr) return {};
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (X509_digest(certificate, EVP_sha256(), digest, &length) != 1) return {};
  return LowerHex({digest, length});
}

bool MatchesPin(const std::string& fingerprint, const std::string& pinned) {
  if (fingerprint.empty() || pinned.size() != fingerprint.size()) return false;
  for (std::size_t i = 0; i < pinned.size(); ++i) {
    const char c = pinned[i] >= 'A' && pinned[i] <= 'F' ? static_cast<char>(pinned[i] - 'A' + 'a') : pinned[i];
    if (c != fingerprint[i]) return false;
  }
  return true;
}

TlsError VerifyFailure(long verifyResult, std::string fingerprint) {
  const auto failure = [&](const char* reason, CertificateProblem problem) {
    return TlsError(text::Utf8ToCp1251(reason), std::move(fingerprint), true, problem);
  };
  switch (verifyResult) {
    case X509_V_ERR_HOSTNAME_MISMATCH:
    case X509_V_ERR_IP_ADDRESS_MISMATCH:
      return failure("Сертификат сервера выдан для другого имени", CertificateProblem::kOtherHost);
    case X509_V_ERR_CERT_HAS_EXPIRED:
      return failure("Срок действия сертификата сервера истёк", CertificateProblem::kExpired);
    case X509_V_ERR_CERT_NOT_YET_VALID:
      return failure("Срок действия сертификата сервера ещё не начался", CertificateProblem::kNotYetValid);
    default:
      return TlsError(std::string("Сертификат сервера не подтверждён: "_cp1251) + X509_verify_cert_error_string(verifyResult),
                      std::move(fingerprint), true, CertificateProblem::kIssuer);
  }
}

}  // namespace platform
