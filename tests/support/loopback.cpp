#include "tests/support/loopback.h"

#include <arpa/inet.h>
#include <sys/socket.h>

#include <cstdint>
#include <stdexcept>

namespace testsupport {

sockaddr_in LoopbackAddress(int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

int BindToLoopback(int fd) {
  sockaddr_in address = LoopbackAddress(0);
  socklen_t length = sizeof address;
  if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
    throw std::runtime_error("no free port on 127.0.0.1");
  return ntohs(address.sin_port);
}

}  // namespace testsupport
