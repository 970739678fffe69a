#include "platform/posix_tcp_client.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>

#include "platform/cp1251.h"

namespace platform {

using text::operator""_cp1251;

namespace {

using Clock = std::chrono::steady_clock;

int MillisecondsLeft(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

// poll() that resumes after signals until the deadline.
int PollUntil(int fd, short events, Clock::time_point deadline) {
  for (;;) {
    pollfd p{fd, events, 0};
    const int ready = ::poll(&p, 1, MillisecondsLeft(deadline));
    if (ready >= 0 || errno != EINTR) return ready;
  }
}

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
    : std::runtime_error(std::string(operation) + std::string(" ошибка "_cp1251) + std::to_string(errorNumber) + ", " +
                         SystemText(errorNumber)),
      errorNumber_(errorNumber) {}

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

  const auto deadline = Clock::now() + std::chrono::milliseconds(ConnectTimeoutMs);
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
  ::close(fd_);
  fd_ = -1;
  if (OnClose) OnClose();
}

bool PosixTcpClient::WaitReadable(int timeoutMs) {
  if (fd_ < 0) throw SocketError("Read", EBADF);
  const int ready = PollUntil(fd_, POLLIN, Clock::now() + std::chrono::milliseconds(timeoutMs));
  if (ready < 0) throw SocketError("Read", errno);
  return ready > 0;
}

std::size_t PosixTcpClient::Read(char* buffer, std::size_t size) {
  if (fd_ < 0) throw SocketError("Read", EBADF);
  const int ready = PollUntil(fd_, POLLIN, Clock::now() + std::chrono::milliseconds(StreamTimeoutMs));
  if (ready < 0) throw SocketError("Read", errno);
  if (ready == 0) return 0;
  for (;;) {
    const ssize_t got = ::recv(fd_, buffer, size, 0);
    if (got >= 0) return static_cast<std::size_t>(got);
    if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;
    if (errno != EINTR) throw SocketError("Read", errno);
  }
}

void PosixTcpClient::Write(std::string_view data) {
  if (fd_ < 0) throw SocketError("Write", EBADF);
  const auto deadline = Clock::now() + std::chrono::milliseconds(StreamTimeoutMs);
  while (!data.empty()) {
    const ssize_t sent = ::send(fd_, data.data(), data.size(), MSG_NOSIGNAL);
    if (sent >= 0) {
      data.remove_prefix(static_cast<std::size_t>(sent));
      continue;
    }
    if (errno == EINTR) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) throw SocketError("Write", errno);
    const int ready = PollUntil(fd_, POLLOUT, deadline);
    if (ready < 0) throw SocketError("Write", errno);
    if (ready == 0) throw SocketError("Write", ETIMEDOUT);
  }
}

// PLACEHOLDER until the TLS helper lands.
void PosixTcpClient::StartTls(const std::string&, const std::string&) { throw TlsError("TLS", {}, false); }

}  // namespace platform
