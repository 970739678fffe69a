#include "app/lifecycle/session_end_signals.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace app {

namespace {

int writeEnd = -1;

void OnSignal(int) {
  const int saved = errno;
  const char byte = 1;
  [[maybe_unused]] const ssize_t ignored = ::write(writeEnd, &byte, 1);
  errno = saved;
}

void Handle(int signal, void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  ::sigaction(signal, &action, nullptr);
}

}  // namespace

SessionEndSignals::SessionEndSignals() {
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, fds_) != 0)
    throw std::runtime_error("cannot create the signal pipe");
  writeEnd = fds_[0];
  notifier_ = std::make_unique<QSocketNotifier>(fds_[1], QSocketNotifier::Read);
  connect(notifier_.get(), &QSocketNotifier::activated, this, [this] {
    Drain();
    if (OnSessionEnd) OnSessionEnd();
  });
  Handle(SIGTERM, OnSignal);
  Handle(SIGHUP, OnSignal);
}

SessionEndSignals::~SessionEndSignals() {
  Handle(SIGTERM, SIG_DFL);
  Handle(SIGHUP, SIG_DFL);
  writeEnd = -1;
  notifier_.reset();
  ::close(fds_[0]);
  ::close(fds_[1]);
}

// Several signals may have come at once; they end the session once.
void SessionEndSignals::Drain() {
  char buffer[64];
  while (::read(fds_[1], buffer, sizeof buffer) > 0) {
  }
}

}  // namespace app
