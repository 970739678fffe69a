// Bounded waits on a socket, shared by the plain and the TLS paths.
#pragma once

#include <chrono>

namespace platform {

using Clock = std::chrono::steady_clock;

// What one non-blocking read or write came to: done, or what to wait for
// before trying again, or the peer's end of the stream.
enum class IoProgress { kDone, kWantRead, kWantWrite, kClosed };

Clock::time_point DeadlineIn(int milliseconds);

// poll() for `events` until the deadline, resumed after signals: answers > 0
// when ready, 0 at the deadline, < 0 with errno set on failure.
int PollUntil(int fd, short events, Clock::time_point deadline);

}  // namespace platform
