// The TLS client side of a connected non-blocking socket: the handshake with
// its certificate check, then non-blocking reads and writes. Waiting for the
// socket is the caller's, as each call says what it needs next.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include <openssl/types.h>

#include "platform/socket_wait.h"

namespace platform {

class TlsConnection {
 public:
  // Runs the handshake within the deadline and accepts the server's certificate
  // as TcpClient::StartTls describes, or throws TlsError.
  static std::unique_ptr<TlsConnection> Handshake(int fd, const std::string& hostName,
                                                  const std::string& pinnedSha256, Clock::time_point deadline);
  ~TlsConnection();

  // Decrypted bytes, or a record not yet decrypted, are there to be read without the socket.
  bool HasPending() const;
  // kDone with `got` > 0, or what to wait for; kClosed once the server has ended
  // the stream. Throws SocketError.
  IoProgress Read(char* buffer, std::size_t size, std::size_t& got);
  // kDone once all of `data` is taken; after a wait, call again with the same data.
  IoProgress Write(std::string_view data);
  // Tells the server the stream ends, without waiting for its answer.
  void Shutdown();

 private:
  explicit TlsConnection(SSL* ssl) : ssl_(ssl) {}
  IoProgress Failure(int result, std::string_view operation);

  SSL* ssl_;
  bool broken_ = false;  // after a fatal error OpenSSL forbids a shutdown
};

}  // namespace platform
