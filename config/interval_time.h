// The check interval (milliseconds) as the configuration dialog's time-of-day
// picker shows it, and back.
#pragma once

#include <QTime>

namespace config {

// Whole seconds as hours, minutes and seconds; 00:10:00 when the interval
// does not fit in a day (24 hours or more, or negative).
QTime IntervalToTime(int interval);

// The picker's hours, minutes and seconds in milliseconds, its milliseconds
// dropped; 600000 for a time that is not valid. 00:00:00 gives 0.
int TimeToInterval(const QTime& time);

}  // namespace config
