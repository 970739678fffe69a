#include "tests/support/fake_pop3_server.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

#include "tests/support/loopback.h"

namespace testsupport {

namespace {

// Bounds every wait of the fake, so a test never hangs on it.
constexpr milliseconds kStepTimeout(10000);
constexpr milliseconds kTick(20);

bool Readable(int fd, milliseconds timeout) {
  pollfd p{fd, POLLIN, 0};
  return ::poll(&p, 1, static_cast<int>(timeout.count())) > 0;
}

std::string Printable(const std::string& bytes) {
  std::string out;
  for (const char c : bytes) {
    if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else out += c;
  }
  return out;
}

}  // namespace

Step Server(std::string reply) { return {Step::Kind::kSend, {std::move(reply)}, {}, milliseconds(0)}; }

Step ServerChunks(std::vector<std::string> chunks, milliseconds pause) {
  return {Step::Kind::kSend, std::move(chunks), {}, pause};
}

Step Client(std::string expected) { return {Step::Kind::kExpect, {}, std::move(expected), milliseconds(0)}; }

Step Silence(milliseconds duration) { return {Step::Kind::kSilence, {}, {}, duration}; }

Step Drop() { return {Step::Kind::kDrop, {}, {}, milliseconds(0)}; }

FakePop3Server::FakePop3Server(std::vector<Step> script)
    : FakePop3Server(std::vector<std::vector<Step>>{std::move(script)}) {}

FakePop3Server::FakePop3Server(std::vector<std::vector<Step>> sessions) : sessions_(std::move(sessions)) {
  listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  port_ = BindToLoopback(listener_);
  if (::listen(listener_, 4) != 0) throw std::runtime_error("fake POP3 server: cannot listen on 127.0.0.1");
  thread_ = std::thread([this] { Run(); });
}

FakePop3Server::~FakePop3Server() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  ::close(listener_);
}

std::vector<std::string> FakePop3Server::Finish() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  std::lock_guard lock(mutex_);
  return problems_;
}

void FakePop3Server::Record(std::string problem) {
  std::lock_guard lock(mutex_);
  problems_.push_back(std::move(problem));
}

void FakePop3Server::Run() {
  for (std::size_t session = 0; session < sessions_.size(); ++session) {
    const std::vector<Step>& script = sessions_[session];
    const auto deadline = std::chrono::steady_clock::now() + kStepTimeout;
    while (!Readable(listener_, kTick)) {
      if (Stopping() || std::chrono::steady_clock::now() > deadline) {
        if (!script.empty()) Record("no client connected for session " + std::to_string(session + 1));
        return;
      }
    }
    const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    RunScript(fd, script);
    ::close(fd);
  }
}

void FakePop3Server::RunScript(int fd, const std::vector<Step>& script) {
  for (std::size_t i = 0; i < script.size(); ++i) {
    const Step& step = script[i];
    switch (step.kind) {
      case Step::Kind::kSend:
        for (std::size_t c = 0; c < step.chunks.size(); ++c) {
          if (c > 0) std::this_thread::sleep_for(step.pause);
          ::send(fd, step.chunks[c].data(), step.chunks[c].size(), MSG_NOSIGNAL);
        }
        break;
      case Step::Kind::kExpect:
        if (!Expect(fd, step.expected)) {
          for (++i; i < script.size(); ++i)
            if (script[i].kind == Step::Kind::kExpect) Record("never reached: " + Printable(script[i].expected));
          return;
        }
        break;
      case Step::Kind::kSilence:
        for (auto waited = milliseconds(0); waited < step.pause && !Stopping(); waited += kTick)
          std::this_thread::sleep_for(kTick);
        break;
      case Step::Kind::kDrop:
        return;
    }
  }
  DrainAfterScript(fd);
}

bool FakePop3Server::Expect(int fd, const std::string& expected) {
  std::string got;
  const auto deadline = std::chrono::steady_clock::now() + kStepTimeout;
  while (got.size() < expected.size() && std::chrono::steady_clock::now() < deadline) {
    if (!Readable(fd, kTick)) {
      if (Stopping()) break;
      continue;
    }
    char buffer[4096];
    const ssize_t n = ::recv(fd, buffer, std::min(sizeof buffer, expected.size() - got.size()), 0);
    if (n <= 0) break;
    got.append(buffer, static_cast<std::size_t>(n));
  }
  if (got == expected) return true;
  Record("expected \"" + Printable(expected) + "\", client wrote \"" + Printable(got) + "\"");
  return false;
}

// After the script the client may only close; any command it still sends is a fault.
void FakePop3Server::DrainAfterScript(int fd) {
  std::string extra;
  for (;;) {
    if (!Readable(fd, Stopping() ? milliseconds(0) : kTick)) {
      if (Stopping()) break;
      continue;
    }
    char buffer[4096];
    const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    extra.append(buffer, static_cast<std::size_t>(n));
  }
  if (!extra.empty()) Record("client wrote after the script: \"" + Printable(extra) + "\"");
}

}  // namespace testsupport
