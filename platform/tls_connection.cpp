#include "platform/tls_connection.h"

#include <arpa/inet.h>
#include <poll.h>

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

#include "platform/cp1251.h"
#include "platform/tcp_client.h"
#include "platform/tls_certificate.h"
#include "platform/tls_socket_bio.h"

namespace platform {

using text::operator""_cp1251;

namespace {

using SslPointer = std::unique_ptr<SSL, decltype(&::SSL_free)>;

std::string TlsFailure(std::string_view detail) { return std::string("Ошибка TLS: "_cp1251) + std::string(detail); }

std::string SystemReason(int errorNumber) {
  char buffer[256];
  return text::Utf8ToCp1251(::strerror_r(errorNumber, buffer, sizeof buffer));
}

bool IsAddress(const std::string& host) {
  unsigned char address[16];
  return ::inet_pton(AF_INET, host.c_str(), address) == 1 || ::inet_pton(AF_INET6, host.c_str(), address) == 1;
}

SSL_CTX* NewContext() {
  SSL_CTX* context = SSL_CTX_new(TLS_client_method());
  if (context == nullptr) return nullptr;
  SSL_CTX_set_min_proto_version(context, TLS1_2_VERSION);
  // Honours SSL_CERT_FILE and SSL_CERT_DIR before the system's store.
  SSL_CTX_set_default_verify_paths(context);
  // POP3 ends its replies itself; a server that drops the connection without
  // a close_notify has still said all it meant to.
  SSL_CTX_set_options(context, SSL_OP_IGNORE_UNEXPECTED_EOF);
  // The handshake always completes; the certificate is judged afterwards,
  // before a single byte of ours goes over the connection, so that a pinned
  // certificate can be accepted whatever its chain says.
  SSL_CTX_set_verify(context, SSL_VERIFY_NONE, nullptr);
  return context;
}

// The session over `fd`, checking the certificate against `hostName` as a name or as an address.
SslPointer NewSession(int fd, const std::string& hostName) {
  SSL_CTX* context = NewContext();
  if (context == nullptr) throw TlsError(TlsFailure(ERR_reason_error_string(ERR_get_error())), {}, false);
  SslPointer ssl(SSL_new(context), &::SSL_free);
  SSL_CTX_free(context);  // the session holds its own reference
  BIO* bio = ssl ? NewSocketBio(fd) : nullptr;
  if (bio == nullptr) throw TlsError(TlsFailure("SSL_new"), {}, false);
  SSL_set_bio(ssl.get(), bio, bio);
  if (IsAddress(hostName)) {
    X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(ssl.get()), hostName.c_str());
  } else {
    SSL_set_tlsext_host_name(ssl.get(), hostName.c_str());
    SSL_set_hostflags(ssl.get(), X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
    SSL_set1_host(ssl.get(), hostName.c_str());
  }
  return ssl;
}

std::string HandshakeFailure(int error, int errorNumber) {
  const unsigned long queued = ERR_peek_last_error();
  if (error == SSL_ERROR_SSL && queued != 0) {
    const char* reason = ERR_reason_error_string(queued);
    return TlsFailure(reason ? reason : "handshake failure");
  }
  if (error == SSL_ERROR_SYSCALL && errorNumber != 0) return TlsFailure(SystemReason(errorNumber));
  return TlsFailure("сервер закрыл соединение"_cp1251);
}

void RunHandshake(SSL* ssl, int fd, Clock::time_point deadline) {
  for (;;) {
    ERR_clear_error();
    const int result = SSL_connect(ssl);
    const int errorNumber = errno;
    if (result == 1) return;
    const int error = SSL_get_error(ssl, result);
    if (error != SSL_ERROR_WANT_READ && error != SSL_ERROR_WANT_WRITE) {
      X509* shown = SSL_get0_peer_certificate(ssl);
      throw TlsError(HandshakeFailure(error, errorNumber), CertificateSha256(shown), false);
    }
    const int ready = PollUntil(fd, error == SSL_ERROR_WANT_READ ? POLLIN : POLLOUT, deadline);
    if (ready == 0) throw TlsError(TlsFailure("сервер не ответил вовремя"_cp1251), {}, false);
    if (ready < 0) throw TlsError(TlsFailure(SystemReason(errno)), {}, false);
  }
}

void CheckCertificate(SSL* ssl, const std::string& pinnedSha256) {
  const std::string fingerprint = CertificateSha256(SSL_get0_peer_certificate(ssl));
  if (fingerprint.empty())
    throw TlsError(std::string("Сервер не предъявил сертификат"_cp1251), {}, false);
  if (!pinnedSha256.empty()) {
    if (MatchesPin(fingerprint, pinnedSha256)) return;
    throw TlsError(std::string("Сертификат сервера не совпадает с доверенным"_cp1251), fingerprint, false);
  }
  const long verified = SSL_get_verify_result(ssl);
  if (verified != X509_V_OK) throw VerifyFailure(verified, fingerprint);
}

}  // namespace

std::unique_ptr<TlsConnection> TlsConnection::Handshake(int fd, const std::string& hostName,
                                                        const std::string& pinnedSha256, Clock::time_point deadline) {
  SslPointer ssl = NewSession(fd, hostName);
  RunHandshake(ssl.get(), fd, deadline);
  CheckCertificate(ssl.get(), pinnedSha256);
  return std::unique_ptr<TlsConnection>(new TlsConnection(ssl.release()));
}

TlsConnection::~TlsConnection() { SSL_free(ssl_); }

bool TlsConnection::HasPending() const { return SSL_has_pending(ssl_) == 1; }

IoProgress TlsConnection::Read(char* buffer, std::size_t size, std::size_t& got) {
  ERR_clear_error();
  const int result = SSL_read(ssl_, buffer, static_cast<int>(std::min<std::size_t>(size, INT_MAX)));
  if (result <= 0) return Failure(result, "Read");
  got = static_cast<std::size_t>(result);
  return IoProgress::kDone;
}

IoProgress TlsConnection::Write(std::string_view data) {
  if (data.empty()) return IoProgress::kDone;
  ERR_clear_error();
  const int result = SSL_write(ssl_, data.data(), static_cast<int>(std::min<std::size_t>(data.size(), INT_MAX)));
  // Without partial writes SSL_write takes all of the data or nothing.
  return result > 0 ? IoProgress::kDone : Failure(result, "Write");
}

IoProgress TlsConnection::Failure(int result, std::string_view operation) {
  const int errorNumber = errno;
  switch (SSL_get_error(ssl_, result)) {
    case SSL_ERROR_WANT_READ:
      return IoProgress::kWantRead;
    case SSL_ERROR_WANT_WRITE:
      return IoProgress::kWantWrite;
    case SSL_ERROR_ZERO_RETURN:
      return IoProgress::kClosed;
    case SSL_ERROR_SYSCALL:
      broken_ = true;
      throw SocketError(operation, errorNumber != 0 ? errorNumber : ECONNRESET);
    default:
      broken_ = true;
      throw SocketError(operation, EPROTO);
  }
}

void TlsConnection::Shutdown() {
  if (!broken_) SSL_shutdown(ssl_);
}

}  // namespace platform
