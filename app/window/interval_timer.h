// A timer whose enabled state stands on its own. The check timer's enabled
// state is the program's idle flag, and an interval of 0 means "never fire"
// while the timer still counts as enabled; a bare QTimer would fire on every
// pass of the event loop instead.
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

namespace app {

class IntervalTimer : public QObject {
  Q_OBJECT

 public:
  IntervalTimer(int interval, bool enabled, QObject* parent = nullptr);

  bool Enabled() const { return enabled_; }
  // Enabling an enabled timer changes nothing: its countdown goes on.
  void SetEnabled(bool value);
  int Interval() const { return interval_; }
  // A new interval starts the countdown again; 0 or less never fires.
  void SetInterval(int value);

  std::function<void()> OnTimer;

 private:
  void Arm();

  QTimer timer_;
  int interval_;
  bool enabled_;
};

}  // namespace app
