// A POP3 session for a server of the test's own on 127.0.0.1, over a real
// connection. Without options it logs in as bob with the password "secret":
//
//   auto session = MakeLocalSession(server.Port(), {.password = "pw", .replyTimeoutMs = 500});
#pragma once

#include <memory>
#include <string>
#include <utility>

#include "mail/pop3_session.h"
#include "platform/posix_tcp_client.h"

namespace testsupport {

struct LocalSessionOptions {
  std::string host = "127.0.0.1";  // "localhost" where a certificate must match the name
  std::string user = "bob";
  std::string password = "secret";
  platform::Security security = platform::Security::None;
  std::string pin = {};  // a pinned certificate's SHA-256; empty: the system's trust
  // A test never waits the session's own minute for a reply that is not coming.
  int replyTimeoutMs = 20000;
  platform::EventPump pump = {};
};

inline std::unique_ptr<mail::TKelPOP> MakeLocalSession(int port, LocalSessionOptions options = {}) {
  auto connection = std::make_unique<platform::PosixTcpClient>();
  // A peer on this machine answers at once; this only bounds a TLS handshake gone wrong.
  connection->ConnectTimeoutMs = 10000;
  auto session = std::make_unique<mail::TKelPOP>(std::move(connection), std::move(options.pump));
  session->Host = std::move(options.host);
  session->Port = std::to_string(port);
  session->UserId = std::move(options.user);
  session->Passwd = std::move(options.password);
  session->Security = options.security;
  session->CertSha256 = std::move(options.pin);
  session->ReplyTimeoutMs = options.replyTimeoutMs;
  return session;
}

}  // namespace testsupport
