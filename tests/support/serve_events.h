// Serving Qt's events while waiting for something that arrives through them.
#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>

namespace testsupport {

// Serves events until `done` holds or `limitMs` have passed; whether it holds.
template <typename Condition>
bool ServeEventsUntil(Condition done, int limitMs = 10'000) {
  const QDeadlineTimer deadline(limitMs);
  while (!done() && !deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  return done();
}

}  // namespace testsupport
