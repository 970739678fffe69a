// SIGTERM and SIGHUP, the ways a desktop session ends a program it cannot
// ask, brought into the event loop through a self-pipe: the handler only
// writes a byte, and OnSessionEnd runs on the user-interface thread.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <functional>
#include <memory>

namespace app {

class SessionEndSignals : public QObject {
  Q_OBJECT

 public:
  // One instance per process: it takes both signals over for its lifetime.
  SessionEndSignals();
  SessionEndSignals(const SessionEndSignals&) = delete;
  SessionEndSignals& operator=(const SessionEndSignals&) = delete;
  ~SessionEndSignals() override;

  std::function<void()> OnSessionEnd;

 private:
  void Drain();

  int fds_[2] = {-1, -1};
  std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace app
