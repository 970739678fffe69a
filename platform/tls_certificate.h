// What the client makes of the certificate a TLS server showed.
#pragma once

#include <string>

#include "platform/tcp_client.h"

#include <openssl/types.h>

namespace platform {

// SHA-256 of the certificate's DER form as 64 lower-case hex digits; empty for none.
std::string CertificateSha256(X509* certificate);

// True when `pinned` names the same digest as `fingerprint`, in either letter case.
bool MatchesPin(const std::string& fingerprint, const std::string& pinned);

// The error for a certificate OpenSSL's verify result refused: the user's
// reason (Windows-1251) for a failed chain, host or date check, the kind of
// problem, and the certificate's fingerprint.
TlsError VerifyFailure(long verifyResult, std::string fingerprint);

}  // namespace platform
