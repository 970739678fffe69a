// An event pump for a library that calls it very often, such as the decoders
// after every base64 quad. Most calls only count; the clock is read every so
// many calls, and the wrapped pump runs at most once per interval. How many
// calls go between two clock readings adapts to the caller: a dense caller
// reads the clock rarely, a sparse one (a wait loop polling the network
// every 20 ms) on every call, so its events are never held back for long.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

#include "platform/event_pump.h"

namespace platform {

// The system's coarse monotonic clock: a few nanoseconds to read, ticking every few milliseconds.
std::chrono::nanoseconds CoarseMonotonicTime();

class ThrottledEventPump {
 public:
  using Clock = std::function<std::chrono::nanoseconds()>;

  static constexpr std::chrono::milliseconds kDefaultInterval{10};
  // A caller that slows down suddenly waits at most this many calls for the next clock reading.
  static constexpr std::uint32_t kMaxCallsPerReading = 8;

  explicit ThrottledEventPump(EventPump pump, std::chrono::nanoseconds interval = kDefaultInterval,
                              Clock clock = CoarseMonotonicTime);

  void operator()() {
    if (++calls_ >= callsPerReading_) ReadClock();
  }

 private:
  void ReadClock();

  EventPump pump_;
  std::chrono::nanoseconds interval_;
  Clock clock_;
  std::uint32_t calls_ = 0;
  std::uint32_t callsPerReading_ = 1;
  std::chrono::nanoseconds lastReading_;
  std::chrono::nanoseconds due_;
};

}  // namespace platform
