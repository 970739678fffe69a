// TcpClient on POSIX sockets, with TLS through OpenSSL. Every wait is bounded:
// connecting and the TLS handshake by ConnectTimeoutMs, each read and write by
// StreamTimeoutMs.
#pragma once

#include <memory>
#include <vector>

#include "platform/socket_wait.h"
#include "platform/tcp_client.h"

namespace platform {

class TlsConnection;

class PosixTcpClient : public TcpClient {
 public:
  PosixTcpClient();
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
  bool Buffered() const { return inboxStart_ < inboxEnd_; }
  bool Fill(Clock::time_point deadline);
  IoProgress Receive(std::size_t& got);
  IoProgress Send(std::string_view data, std::size_t& sent);
  void DropInbox();

  int fd_ = -1;
  std::unique_ptr<TlsConnection> tls_;
  // Read from the connection in large blocks and handed out in the sizes asked
  // for, which spares a system call per small read.
  std::vector<char> inbox_;
  std::size_t inboxStart_ = 0;
  std::size_t inboxEnd_ = 0;
  bool ended_ = false;  // the peer has closed its side
};

}  // namespace platform
