#include "app/window/interval_timer.h"

namespace app {

IntervalTimer::IntervalTimer(int interval, bool enabled, QObject* parent)
    : QObject(parent), interval_(interval), enabled_(enabled) {
  connect(&timer_, &QTimer::timeout, this, [this] {
    if (OnTimer) OnTimer();
  });
  Arm();
}

void IntervalTimer::SetEnabled(bool value) {
  if (value == enabled_) return;
  enabled_ = value;
  Arm();
}

void IntervalTimer::SetInterval(int value) {
  if (value == interval_) return;
  interval_ = value;
  Arm();
}

void IntervalTimer::Arm() {
  timer_.stop();
  if (enabled_ && interval_ > 0) timer_.start(interval_);
}

}  // namespace app
