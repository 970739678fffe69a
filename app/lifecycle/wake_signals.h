// The moments a suspended laptop or a lost network comes back: logind's
// PrepareForSleep(false) on the system bus, and the network turning
// reachable. Either source may be missing (no system bus, no network
// backend); it then reports nothing and the timer goes on as before.
#pragma once

#include <QNetworkInformation>
#include <QObject>
#include <functional>

namespace app {

class WakeSignals : public QObject {
  Q_OBJECT

 public:
  WakeSignals();

  // From the event loop, at each resume and each return of the network.
  std::function<void()> OnWake;

 private slots:
  void PrepareForSleep(bool sleeping);

 private:
  void ListenToTheNetwork();
  void ReachabilityChanged(QNetworkInformation::Reachability reachability);
  void Wake();

  bool online_ = false;
};

}  // namespace app
