#include "config/interval_time.h"

namespace config {

namespace {

constexpr int kDefaultInterval = 600000;

}  // namespace

QTime IntervalToTime(int interval) {
  const int seconds = interval / 1000;
  const QTime time(seconds / 3600, seconds / 60 % 60, seconds % 60);
  return time.isValid() ? time : QTime(0, 10, 0);
}

int TimeToInterval(const QTime& time) {
  if (!time.isValid()) return kDefaultInterval;
  return time.hour() * 3600000 + time.minute() * 60000 + time.second() * 1000;
}

}  // namespace config
