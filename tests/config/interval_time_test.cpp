#include "config/interval_time.h"

#include <gtest/gtest.h>

namespace {

TEST(IntervalTime, IntervalBecomesTheTimeOfDayOfItsWholeSeconds) {
  struct Case {
    const char* name;
    int interval;
    QTime time;
  } cases[] = {
      {"ten minutes", 600000, QTime(0, 10, 0)},
      {"zero", 0, QTime(0, 0, 0)},
      {"milliseconds dropped", 3723999, QTime(1, 2, 3)},
      {"last second of a day", 86399999, QTime(23, 59, 59)},
      {"a whole day", 86400000, QTime(0, 10, 0)},
      {"more than a day", 90000000, QTime(0, 10, 0)},
      {"negative", -5000, QTime(0, 10, 0)},
  };
  for (const Case& c : cases) EXPECT_EQ(config::IntervalToTime(c.interval), c.time) << c.name;
}

TEST(IntervalTime, TimeOfDayBecomesMillisecondsWithoutItsMilliseconds) {
  struct Case {
    const char* name;
    QTime time;
    int interval;
  } cases[] = {
      {"ten minutes", QTime(0, 10, 0), 600000},
      {"zero stops the timer", QTime(0, 0, 0), 0},
      {"milliseconds dropped", QTime(1, 2, 3, 456), 3723000},
      {"last second of a day", QTime(23, 59, 59, 999), 86399000},
      {"not a time", QTime(), 600000},
  };
  for (const Case& c : cases) EXPECT_EQ(config::TimeToInterval(c.time), c.interval) << c.name;
}

}  // namespace
