// TcpClient on POSIX sockets. Every wait is bounded: connecting by
// ConnectTimeoutMs, each read and write by StreamTimeoutMs.
#pragma once

#include "platform/tcp_client.h"

namespace platform {

class PosixTcpClient : public TcpClient {
 public:
  PosixTcpClient() = default;
  PosixTcpClient(const PosixTcpClient&) = delete;
  PosixTcpClient& operator=(const PosixTcpClient&) = delete;
  ~PosixTcpClient() override;

  int ConnectTimeoutMs = 30000;
  int StreamTimeoutMs = 100;

  void Open(const std::string& address, const std::string& name, int port) override;
  void Close() override;
  void StartTls(const std::string& hostName, const std::string& pinnedSha256) override;
  bool WaitReadable(int timeoutMs) override;
  std::size_t Read(char* buffer, std::size_t size) override;
  void Write(std::string_view data) override;

 private:
  int ConnectAny(const std::string& host, int port, int flags);
  int fd_ = -1;
};

}  // namespace platform
