#include "platform/tls_socket_bio.h"

#include <sys/socket.h>

#include <openssl/bio.h>

#include <cerrno>
#include <cstdint>

namespace platform {

namespace {

int SocketOf(BIO* bio) { return static_cast<int>(reinterpret_cast<std::intptr_t>(BIO_get_data(bio))); }

bool Retriable(ssize_t result) { return result < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR); }

int SocketWrite(BIO* bio, const char* data, int size) {
  BIO_clear_retry_flags(bio);
  const ssize_t sent = ::send(SocketOf(bio), data, static_cast<std::size_t>(size), MSG_NOSIGNAL);
  if (Retriable(sent)) BIO_set_retry_write(bio);
  return static_cast<int>(sent);
}

int SocketRead(BIO* bio, char* data, int size) {
  BIO_clear_retry_flags(bio);
  const ssize_t got = ::recv(SocketOf(bio), data, static_cast<std::size_t>(size), 0);
  if (Retriable(got)) BIO_set_retry_read(bio);
  return static_cast<int>(got);
}

// Writes go straight to the socket, so there is nothing to flush; no other
// control is supported.
long SocketControl(BIO*, int command, long, void*) { return command == BIO_CTRL_FLUSH ? 1 : 0; }

BIO_METHOD* MakeMethod() {
  BIO_METHOD* method = BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK, "tessaro socket");
  BIO_meth_set_write(method, SocketWrite);
  BIO_meth_set_read(method, SocketRead);
  BIO_meth_set_ctrl(method, SocketControl);
  return method;
}

}  // namespace

BIO* NewSocketBio(int fd) {
  static BIO_METHOD* const method = MakeMethod();
  BIO* bio = BIO_new(method);
  if (bio == nullptr) return nullptr;
  BIO_set_data(bio, reinterpret_cast<void*>(static_cast<std::intptr_t>(fd)));
  BIO_set_init(bio, 1);
  return bio;
}

}  // namespace platform
