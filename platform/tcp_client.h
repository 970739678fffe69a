// The blocking TCP connection a POP3 session runs over.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/cp1251_error.h"

namespace platform {

// A connection that could not be opened: resolution, refusal, unreachable, time-out.
class ConnectError : public text::Cp1251Error {
 public:
  using text::Cp1251Error::Cp1251Error;
};

// A read or write the system rejected: "Read ошибка 104, Connection reset by peer"
// (Windows-1251 text, like every text the mail library sees).
class SocketError : public text::Cp1251Error {
 public:
  SocketError(std::string_view operation, int errorNumber);
  int ErrorNumber() const { return errorNumber_; }

 private:
  int errorNumber_;
};

// How a connection is protected: not at all, TLS from the first byte (POP3S),
// or a plain connection upgraded by the protocol's own command (STLS).
enum class Security { None, Tls, StartTls };

// Why a certificate that could not be verified was refused: an issuer no
// trusted authority vouches for (a private CA, a self-signed certificate: what
// a private server has), another host's name, or dates it is not valid in.
enum class CertificateProblem { kIssuer, kOtherHost, kExpired, kNotYetValid };

// A TLS handshake or certificate check that failed. what() is the reason for
// the user (Windows-1251). Fingerprint() is the SHA-256 of the certificate the
// server showed, as 64 lower-case hex digits, empty when it showed none;
// Untrusted() is true when the only fault was that the certificate could not
// be verified (Problem() says why), so pinning that fingerprint would let the
// connection through.

class TlsError : public ConnectError {
 public:
  TlsError(const std::string& reason, std::string fingerprint, bool untrusted,
           CertificateProblem problem = CertificateProblem::kIssuer)
      : ConnectError(reason), fingerprint_(std::move(fingerprint)), untrusted_(untrusted), problem_(problem) {}
  const std::string& Fingerprint() const { return fingerprint_; }
  bool Untrusted() const { return untrusted_; }
  // What failed, when Untrusted.
  CertificateProblem Problem() const { return problem_; }

 private:
  std::string fingerprint_;
  bool untrusted_;
  CertificateProblem problem_;
};

class TcpClient {
 public:
  virtual ~TcpClient() = default;

  // Fired by Open once the connection stands, and by Close when an open connection ends.
  std::function<void()> OnConnect;
  std::function<void()> OnClose;

  // Connects to `address` (a dotted IPv4 address) when it is not empty, otherwise
  // to `name`, resolved. Throws ConnectError when no connection can be made.
  virtual void Open(const std::string& address, const std::string& name, int port) = 0;
  virtual void Close() = 0;

  // Runs a TLS handshake (TLS 1.2 at least) over the open connection; from then
  // on Read and Write go through it, and anything read but not yet handed out
  // is dropped. The certificate must be valid for `hostName` and chain to the
  // system's trusted store (or SSL_CERT_FILE) unless `pinnedSha256` (64 hex
  // digits) is given: then exactly that certificate is accepted and no other.
  // Throws TlsError.
  virtual void StartTls(const std::string& hostName, const std::string& pinnedSha256) = 0;

  // True when data (or the end of the stream) is readable within `timeoutMs`.
  virtual bool WaitReadable(int timeoutMs) = 0;

  // Reads up to `size` bytes within the stream time-out. Answers 0 when nothing
  // arrived in time; right after WaitReadable said yes, 0 means the peer closed.
  virtual std::size_t Read(char* buffer, std::size_t size) = 0;

  // Writes all of `data` within the stream time-out, or throws SocketError.
  virtual void Write(std::string_view data) = 0;
};

}  // namespace platform
