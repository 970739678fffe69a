// Certificates for the TLS tests, made with the openssl command in a temporary
// folder: a CA of the test's own and server certificates, good and bad.
#pragma once

#include <string>

#include "tests/support/temp_files.h"

namespace testsupport {

struct CertificateFiles {
  std::string cert;
  std::string key;
};

class TestCertificates {
 public:
  TestCertificates();

  // The test CA, to be trusted through SSL_CERT_FILE.
  std::string CaFile() const;
  // Signed by the test CA for "localhost" and 127.0.0.1.
  CertificateFiles Localhost() const { return Files("localhost"); }
  // Signed by the test CA for another host name only.
  CertificateFiles OtherHost() const { return Files("other-host"); }
  // Signed by the test CA for "localhost", valid only in 2001.
  CertificateFiles Expired() const { return Files("expired"); }
  // Signed by itself for "localhost".
  CertificateFiles SelfSigned() const { return Files("self-signed"); }

  // The SHA-256 fingerprint the openssl command gives, as 64 lower-case hex digits.
  static std::string Sha256(const std::string& certFile);

 private:
  CertificateFiles Files(const std::string& name) const;
  void Run(const std::string& command) const;
  void MakeCa() const;
  void Sign(const std::string& name, const std::string& altNames, const std::string& dates) const;

  TempDir folder_;
};

}  // namespace testsupport
