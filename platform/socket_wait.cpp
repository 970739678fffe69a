#include "platform/socket_wait.h"

#include <poll.h>

#include <cerrno>

namespace platform {

namespace {

int MillisecondsLeft(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

}  // namespace

Clock::time_point DeadlineIn(int milliseconds) { return Clock::now() + std::chrono::milliseconds(milliseconds); }

int PollUntil(int fd, short events, Clock::time_point deadline) {
  for (;;) {
    pollfd p{fd, events, 0};
    const int ready = ::poll(&p, 1, MillisecondsLeft(deadline));
    if (ready >= 0 || errno != EINTR) return ready;
  }
}

}  // namespace platform
