// A TcpClient with no network behind it: each command the session writes is
// answered with the next prepared reply, served in chunks of at most
// `chunkSize` bytes. Silence is an empty reply queue: WaitReadable says no.
#pragma once

#include <algorithm>
#include <cstring>
#include <deque>
#include <string>

#include "platform/tcp_client.h"

namespace testsupport {

class MemoryTcpClient : public platform::TcpClient {
 public:
  // `greeting` is readable right after Open; every Write makes the next reply readable.
  MemoryTcpClient(std::string greeting, std::deque<std::string> replies, std::size_t chunkSize = 1024)
      : pending_(std::move(greeting)), replies_(std::move(replies)), chunkSize_(chunkSize) {}

  std::string written;

  void Open(const std::string&, const std::string&, int) override {
    open_ = true;
    if (OnConnect) OnConnect();
  }
  void Close() override {
    if (!open_) return;
    open_ = false;
    if (OnClose) OnClose();
  }
  void StartTls(const std::string&, const std::string&) override {
    throw platform::TlsError("no TLS over memory", {}, false);
  }
  bool WaitReadable(int) override { return offset_ < pending_.size(); }
  std::size_t Read(char* buffer, std::size_t size) override {
    const std::size_t n = std::min({size, chunkSize_, pending_.size() - offset_});
    std::memcpy(buffer, pending_.data() + offset_, n);
    offset_ += n;
    return n;
  }
  void Write(std::string_view data) override {
    written += data;
    pending_.erase(0, offset_);
    offset_ = 0;
    if (!replies_.empty()) {
      pending_ += replies_.front();
      replies_.pop_front();
    }
  }

 private:
  bool open_ = false;
  std::string pending_;
  std::size_t offset_ = 0;
  std::deque<std::string> replies_;
  std::size_t chunkSize_;
};

}  // namespace testsupport
