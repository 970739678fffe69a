#include "tests/support/closed_port.h"

#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

#include "tests/support/loopback.h"

namespace testsupport {

// Without SO_REUSEADDR or SO_REUSEPORT nobody else may bind the port while it is held.
ClosedPort::ClosedPort() : fd_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
  try {
    port_ = BindToLoopback(fd_);
  } catch (const std::runtime_error&) {
    if (fd_ >= 0) ::close(fd_);
    throw;
  }
}

ClosedPort::~ClosedPort() { ::close(fd_); }

}  // namespace testsupport
