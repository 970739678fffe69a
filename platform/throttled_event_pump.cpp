#include "platform/throttled_event_pump.h"

#include <time.h>

#include <algorithm>

namespace platform {

std::chrono::nanoseconds CoarseMonotonicTime() {
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
  return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

ThrottledEventPump::ThrottledEventPump(EventPump pump, std::chrono::nanoseconds interval, Clock clock)
    : pump_(std::move(pump)), interval_(interval), clock_(std::move(clock)) {
  lastReading_ = clock_();
  due_ = lastReading_;  // the first call serves events at once
}

void ThrottledEventPump::ReadClock() {
  calls_ = 0;
  const std::chrono::nanoseconds now = clock_();
  const std::chrono::nanoseconds sinceLast = now - lastReading_;
  lastReading_ = now;
  // Readings well inside the interval: stretch the count. A reading that comes
  // an interval or more after the last: read on every call again.
  if (sinceLast < interval_ / 4)
    callsPerReading_ = std::min(callsPerReading_ * 2, kMaxCallsPerReading);
  else if (sinceLast >= interval_)
    callsPerReading_ = 1;
  if (now < due_) return;
  due_ = now + interval_;
  if (pump_) pump_();
}

}  // namespace platform
