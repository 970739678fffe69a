// The throttled event pump on a clock the test moves by hand.
#include "platform/throttled_event_pump.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

using namespace std::chrono_literals;
using platform::ThrottledEventPump;

constexpr std::chrono::nanoseconds kInterval = 10ms;

struct Harness {
  std::chrono::nanoseconds now = 1s;
  int readings = 0;
  int pumped = 0;
  ThrottledEventPump pump{[this] { ++pumped; }, kInterval, [this] {
                            ++readings;
                            return now;
                          }};

  // Calls the pump until the wrapped one runs; answers how many calls that took, 0 if it never did.
  int CallsUntilPumped(int limit, std::chrono::nanoseconds step) {
    const int before = pumped;
    for (int call = 1; call <= limit; ++call) {
      now += step;
      pump();
      if (pumped > before) return call;
    }
    return 0;
  }
};

TEST(ThrottledEventPump, FirstCallServesEventsAtOnce) {
  Harness harness;
  harness.pump();
  EXPECT_EQ(harness.pumped, 1);
}

TEST(ThrottledEventPump, DenseCallsReadTheClockRarelyAndPumpOncePerInterval) {
  Harness harness;
  const int readingsBefore = harness.readings;
  for (int call = 0; call < 10000; ++call) harness.pump();
  EXPECT_EQ(harness.pumped, 1);
  EXPECT_LE(harness.readings - readingsBefore, 10000 / ThrottledEventPump::kMaxCallsPerReading + 4);

  harness.now += kInterval;
  EXPECT_GT(harness.CallsUntilPumped(ThrottledEventPump::kMaxCallsPerReading, 0ns), 0);
  EXPECT_EQ(harness.pumped, 2);
}

TEST(ThrottledEventPump, SparseCallerIsServedOnEveryCall) {
  Harness harness;
  for (int call = 0; call < 20; ++call) EXPECT_EQ(harness.CallsUntilPumped(1, 200ms), 1) << "call " << call;
}

TEST(ThrottledEventPump, CallerThatSlowsDownWaitsAtMostTheLongestCount) {
  Harness harness;
  for (int call = 0; call < 10000; ++call) harness.pump();
  const int calls = harness.CallsUntilPumped(100, 200ms);
  EXPECT_GT(calls, 0);
  EXPECT_LE(calls, static_cast<int>(ThrottledEventPump::kMaxCallsPerReading));
  // From then on it reads the clock on every call again.
  for (int call = 0; call < 5; ++call) EXPECT_EQ(harness.CallsUntilPumped(1, 200ms), 1) << "call " << call;
}

TEST(ThrottledEventPump, CallsWithinTheIntervalDoNotPump) {
  Harness harness;
  harness.pump();
  EXPECT_EQ(harness.CallsUntilPumped(9, 1ms), 0);
  EXPECT_GT(harness.CallsUntilPumped(ThrottledEventPump::kMaxCallsPerReading, 1ms), 0);
}

TEST(ThrottledEventPump, WorksAsAnEventPump) {
  int pumped = 0;
  platform::EventPump pump = ThrottledEventPump([&pumped] { ++pumped; });
  pump();
  EXPECT_EQ(pumped, 1);
}

TEST(CoarseMonotonicTime, NeverGoesBackAndMovesOn) {
  const auto first = platform::CoarseMonotonicTime();
  std::this_thread::sleep_for(30ms);
  const auto second = platform::CoarseMonotonicTime();
  EXPECT_GE(second - first, 10ms);
}

}  // namespace
