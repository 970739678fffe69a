// BeginBusy / EndBusy: an application-wide nesting counter; the hourglass
// (wait) cursor shows while it is above zero.
#pragma once

namespace desktop {

void BeginBusy();
void EndBusy();
int BusyDepth();

// Holds the busy state for its lifetime, so every way out of a scope ends it.
class BusyScope {
 public:
  BusyScope() { BeginBusy(); }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;
  ~BusyScope() { EndBusy(); }
};

}  // namespace desktop
