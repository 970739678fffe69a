#include "platform/tls_certificate.h"

#include <openssl/evp.h>
#include <openssl/x509.h>
#include <openssl/x509_vfy.h>

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

std::string VerifyFailureReason(long verifyResult) {
  switch (verifyResult) {
    case X509_V_ERR_HOSTNAME_MISMATCH:
    case X509_V_ERR_IP_ADDRESS_MISMATCH:
      return std::string("Сертификат сервера выдан для другого имени"_cp1251);
    case X509_V_ERR_CERT_HAS_EXPIRED:
      return std::string("Срок действия сертификата сервера истёк"_cp1251);
    case X509_V_ERR_CERT_NOT_YET_VALID:
      return std::string("Срок действия сертификата сервера ещё не начался"_cp1251);
    default:
      return std::string("Сертификат сервера не подтверждён: "_cp1251) + X509_verify_cert_error_string(verifyResult);
  }
}

CertificateProblem VerifyFailureProblem(long verifyResult) {
  switch (verifyResult) {
    case X509_V_ERR_HOSTNAME_MISMATCH:
    case X509_V_ERR_IP_ADDRESS_MISMATCH:
      return CertificateProblem::kOtherHost;
    case X509_V_ERR_CERT_HAS_EXPIRED:
      return CertificateProblem::kExpired;
    case X509_V_ERR_CERT_NOT_YET_VALID:
      return CertificateProblem::kNotYetValid;
    default:
      return CertificateProblem::kIssuer;
  }
}

}  // namespace platform
