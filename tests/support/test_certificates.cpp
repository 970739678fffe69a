#include "tests/support/test_certificates.h"

#include <cctype>
#include <stdexcept>

#include "tests/support/run_program.h"

namespace testsupport {

namespace {

// Elliptic-curve keys are made in an instant, unlike RSA ones.
constexpr const char* kNewKey = "-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes";

// A CA that signs whatever it is asked, with the dates it is given.
constexpr const char* kCaConfig =
    "[ca]\ndefault_ca = test_ca\n"
    "[test_ca]\ndatabase = index.txt\nnew_certs_dir = issued\nserial = serial\n"
    "default_md = sha256\npolicy = any_name\nunique_subject = no\nemail_in_dn = no\n"
    "[any_name]\ncommonName = supplied\n";

}  // namespace

TestCertificates::TestCertificates() {
  MakeCa();
  Sign("localhost", "DNS:localhost,IP:127.0.0.1", "-days 30");
  Sign("other-host", "DNS:mail.other.example", "-days 30");
  Sign("expired", "DNS:localhost,IP:127.0.0.1", "-startdate 20010101000000Z -enddate 20011231000000Z");
  Run("openssl req -x509 " + std::string(kNewKey) +
      " -keyout self-signed.key -out self-signed.pem -days 30 -subj /CN=localhost"
      " -addext subjectAltName=DNS:localhost,IP:127.0.0.1");
}

std::string TestCertificates::CaFile() const { return (folder_.Path() / "ca.pem").string(); }

CertificateFiles TestCertificates::Files(const std::string& name) const {
  return {(folder_.Path() / (name + ".pem")).string(), (folder_.Path() / (name + ".key")).string()};
}

void TestCertificates::Run(const std::string& command) const {
  const auto result = RunProgram({"/bin/sh", "-c", "cd '" + folder_.Path().string() + "' && " + command});
  if (result.exitStatus != 0) throw std::runtime_error(command + " failed:\n" + result.err);
}

void TestCertificates::MakeCa() const {
  Run("openssl req -x509 " + std::string(kNewKey) +
      " -keyout ca.key -out ca.pem -days 30 -subj '/CN=Tessaro Test CA'"
      " -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign,cRLSign");
  Run("mkdir issued && : > index.txt && echo 1000 > serial && printf '" + std::string(kCaConfig) + "' > ca.cnf");
}

void TestCertificates::Sign(const std::string& name, const std::string& altNames, const std::string& dates) const {
  Run("openssl req -new " + std::string(kNewKey) + " -keyout " + name + ".key -out " + name + ".csr -subj /CN=" + name);
  Run("printf '[server]\\nbasicConstraints = CA:FALSE\\nsubjectAltName = " + altNames + "\\n' > " + name + ".ext");
  Run("openssl ca -batch -notext -config ca.cnf -cert ca.pem -keyfile ca.key -in " + name + ".csr -out " + name +
      ".pem -extfile " + name + ".ext -extensions server " + dates);
}

std::string TestCertificates::Sha256(const std::string& certFile) {
  const auto result = RunProgram({"/usr/bin/openssl", "x509", "-in", certFile, "-noout", "-fingerprint", "-sha256"});
  if (result.exitStatus != 0) throw std::runtime_error("openssl x509 -fingerprint failed:\n" + result.err);
  std::string hex;
  for (const unsigned char c : result.out.substr(result.out.find('=') + 1))
    if (std::isxdigit(c)) hex += static_cast<char>(std::tolower(c));
  return hex;
}

}  // namespace testsupport
