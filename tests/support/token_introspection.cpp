#include "tests/support/token_introspection.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace testsupport {

TokenIntrospection::TokenIntrospection(std::string goodToken, std::string user)
    : goodToken_(std::move(goodToken)), user_(std::move(user)) {
  listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(listener_, 8) != 0 || ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
    throw std::runtime_error("introspection endpoint: no socket");
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this] { Run(); });
}

TokenIntrospection::~TokenIntrospection() {
  stop_ = true;
  thread_.join();
  ::close(listener_);
}

std::string TokenIntrospection::Url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/introspect"; }

void TokenIntrospection::Run() {
  while (!stop_) {
    pollfd waiting{listener_, POLLIN, 0};
    if (::poll(&waiting, 1, 100) <= 0) continue;
    const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) continue;
    Answer(client);
    ::close(client);
  }
}

// Reads one request (headers, then as much body as Content-Length says) and
// answers whether its token is the good one.
void TokenIntrospection::Answer(int client) {
  std::string request;
  char buffer[4096];
  std::size_t bodyStart = std::string::npos;
  std::size_t bodyLength = 0;
  while (bodyStart == std::string::npos || request.size() < bodyStart + bodyLength) {
    pollfd readable{client, POLLIN, 0};
    if (::poll(&readable, 1, 5000) <= 0) return;
    const ssize_t got = ::read(client, buffer, sizeof buffer);
    if (got <= 0) return;
    request.append(buffer, static_cast<std::size_t>(got));
    if (bodyStart == std::string::npos && request.find("\r\n\r\n") != std::string::npos) {
      bodyStart = request.find("\r\n\r\n") + 4;
      const std::size_t field = request.find("ontent-Length:");
      if (field != std::string::npos && field < bodyStart) bodyLength = std::stoul(request.substr(field + 14));
    }
  }
  ++requests_;
  const bool active = request.find("token=" + goodToken_, bodyStart) != std::string::npos;
  const std::string body =
      active ? "{\"active\":true,\"username\":\"" + user_ + "\"}" : std::string("{\"active\":false}");
  const std::string reply = "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nConnection: close\r\nContent-Length: " +
                            std::to_string(body.size()) + "\r\n\r\n" + body;
  [[maybe_unused]] const ssize_t written = ::write(client, reply.data(), reply.size());
}

}  // namespace testsupport
