#include "platform/posix_tcp_client.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/cp1251.h"
#include "platform/tls_connection.h"

namespace platform {

using text::operator""_cp1251;

namespace {

constexpr std::size_t kInboxSize = 64 * 1024;

std::string SystemText(int errorNumber) {
  char buffer[256];
  return text::Utf8ToCp1251(::strerror_r(errorNumber, buffer, sizeof buffer));
}

// Connects one non-blocking socket within the deadline; answers the socket or -1 with errno set.
int ConnectOne(const addrinfo& ai, Clock::time_point deadline) {
  const int fd = ::socket(ai.ai_family, ai.ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, ai.ai_protocol);
  if (fd < 0) return -1;
  int error = 0;
  if (::connect(fd, ai.ai_addr, ai.ai_addrlen) != 0) {
    error = errno;
    if (error == EINPROGRESS) {
      const int ready = PollUntil(fd, POLLOUT, deadline);
      socklen_t length = sizeof error;
      if (ready == 0) error = ETIMEDOUT;
      else if (ready < 0) error = errno;
      else ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length);
    }
  }
  if (error != 0) {
    ::close(fd);
    errno = error;
    return -1;
  }
  const int one = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  return fd;
}

}  // namespace

SocketError::SocketError(std::string_view operation, int errorNumber)
    : text::Cp1251Error(std::string(operation) + std::string(" ошибка "_cp1251) + std::to_string(errorNumber) + ", " +
                         SystemText(errorNumber)),
      errorNumber_(errorNumber) {}

PosixTcpClient::PosixTcpClient() = default;

PosixTcpClient::~PosixTcpClient() {
  if (fd_ >= 0) ::close(fd_);
}

int PosixTcpClient::ConnectAny(const std::string& host, int port, int flags) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = flags;
  addrinfo* found = nullptr;
  const std::string service = std::to_string(port);
  const int status = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &found);
  if (status != 0) throw ConnectError(host + ": " + ::gai_strerror(status));
  const std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> list(found, &::freeaddrinfo);

  const auto deadline = DeadlineIn(ConnectTimeoutMs);
  int lastError = EHOSTUNREACH;
  for (const addrinfo* ai = found; ai != nullptr; ai = ai->ai_next) {
    const int fd = ConnectOne(*ai, deadline);
    if (fd >= 0) return fd;
    lastError = errno;
  }
  throw ConnectError(host + ": " + SystemText(lastError));
}

void PosixTcpClient::Open(const std::string& address, const std::string& name, int port) {
  Close();
  if (port < 1 || port > 65535) throw ConnectError("port " + std::to_string(port));
  if (address.empty() && name.empty()) throw ConnectError("no host");
  fd_ = address.empty() ? ConnectAny(name, port, 0) : ConnectAny(address, port, AI_NUMERICHOST);
  if (OnConnect) OnConnect();
}

void PosixTcpClient::Close() {
  if (fd_ < 0) return;
  if (tls_) tls_->Shutdown();
  tls_.reset();
  ::close(fd_);
  fd_ = -1;
  DropInbox();
  if (OnClose) OnClose();
}

void PosixTcpClient::StartTls(const std::string& hostName, const std::string& pinnedSha256) {
  if (fd_ < 0) throw TlsError(std::string("Ошибка TLS: нет соединения"_cp1251), {}, false);
  // Bytes that came before the handshake are not the server's protected word.
  DropInbox();
  tls_.reset();
  tls_ = TlsConnection::Handshake(fd_, hostName, pinnedSha256, DeadlineIn(ConnectTimeoutMs));
}

void PosixTcpClient::DropInbox() {
  inboxStart_ = inboxEnd_ = 0;
  ended_ = false;
}

bool PosixTcpClient::WaitReadable(int timeoutMs) {
  if (fd_ < 0) throw SocketError("Read", EBADF);
  return Buffered() || ended_ || Fill(DeadlineIn(timeoutMs));
}

std::size_t PosixTcpClient::Read(char* buffer, std::size_t size) {
  if (fd_ < 0) throw SocketError("Read", EBADF);
  if (!Buffered() && !ended_ && !Fill(DeadlineIn(StreamTimeoutMs))) return 0;
  const std::size_t count = std::min(size, inboxEnd_ - inboxStart_);
  std::memcpy(buffer, inbox_.data() + inboxStart_, count);
  inboxStart_ += count;
  return count;
}

// Reads the next block into the empty inbox. True once bytes or the end of
// the stream are there; false when the deadline came first. TLS may need
// several socket reads, or a write, before it has a byte to give.
bool PosixTcpClient::Fill(Clock::time_point deadline) {
  inbox_.resize(kInboxSize);
  inboxStart_ = inboxEnd_ = 0;
  short awaited = tls_ && tls_->HasPending() ? 0 : POLLIN;
  for (;;) {
    if (awaited != 0) {
      const int ready = PollUntil(fd_, awaited, deadline);
      if (ready < 0) throw SocketError("Read", errno);
      if (ready == 0) return false;
    }
    std::size_t got = 0;
    switch (tls_ ? tls_->Read(inbox_.data(), inbox_.size(), got) : Receive(got)) {
      case IoProgress::kDone:
        inboxEnd_ = got;
        return true;
      case IoProgress::kClosed:
        ended_ = true;
        return true;
      case IoProgress::kWantRead:
        awaited = POLLIN;
        break;
      case IoProgress::kWantWrite:
        awaited = POLLOUT;
        break;
    }
  }
}

IoProgress PosixTcpClient::Receive(std::size_t& got) {
  for (;;) {
    const ssize_t result = ::recv(fd_, inbox_.data(), inbox_.size(), 0);
    if (result > 0) {
      got = static_cast<std::size_t>(result);
      return IoProgress::kDone;
    }
    if (result == 0) return IoProgress::kClosed;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return IoProgress::kWantRead;
    if (errno != EINTR) throw SocketError("Read", errno);
  }
}

void PosixTcpClient::Write(std::string_view data) {
  if (fd_ < 0) throw SocketError("Write", EBADF);
  const auto deadline = DeadlineIn(StreamTimeoutMs);
  while (!data.empty()) {
    std::size_t sent = 0;
    const IoProgress progress = Send(data, sent);
    if (progress == IoProgress::kClosed) throw SocketError("Write", EPIPE);
    if (progress == IoProgress::kDone) {
      data.remove_prefix(sent);
      continue;
    }
    const int ready = PollUntil(fd_, progress == IoProgress::kWantRead ? POLLIN : POLLOUT, deadline);
    if (ready < 0) throw SocketError("Write", errno);
    if (ready == 0) throw SocketError("Write", ETIMEDOUT);
  }
}

// TLS takes the data whole or not at all; a plain socket may take part of it.
IoProgress PosixTcpClient::Send(std::string_view data, std::size_t& sent) {
  if (tls_) {
    const IoProgress progress = tls_->Write(data);
    if (progress == IoProgress::kDone) sent = data.size();
    return progress;
  }
  for (;;) {
    const ssize_t result = ::send(fd_, data.data(), data.size(), MSG_NOSIGNAL);
    if (result >= 0) {
      sent = static_cast<std::size_t>(result);
      return IoProgress::kDone;
    }
    if (errno == EAGAIN || errno == EWOULDBLOCK) return IoProgress::kWantWrite;
    if (errno != EINTR) throw SocketError("Write", errno);
  }
}

}  // namespace platform
