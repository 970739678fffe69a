// The check after a resume or the network's return: a laptop that wakes up
// would otherwise wait for the rest of the interval. Signals that come
// together (the resume, then the network) bring one pass; a pass that runs
// is not interrupted, and one that ended a minute ago is recent enough.
#include <chrono>

#include "app/window/main_form.h"

namespace app {

namespace {

constexpr std::chrono::minutes kRecentPass{1};

}  // namespace

void TMainForm::SystemWake() {
  wakeTimer_.SetEnabled(false);
  wakeTimer_.SetEnabled(true);
}

void TMainForm::WakeTimerTimer() {
  wakeTimer_.SetEnabled(false);
  if (!Idle() || (lastPassEnd_ && services_.Now() - *lastPassEnd_ < kRecentPass)) return;
  Timer1Timer();
}

}  // namespace app
