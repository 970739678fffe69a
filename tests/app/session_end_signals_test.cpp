#include "app/lifecycle/session_end_signals.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <csignal>
#include <string>

#include "tests/support/qt_environment.h"

namespace {

int ServeUntil(const int& count, int wanted) {
  const QDeadlineTimer deadline(5000);
  while (count < wanted && !deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  return count;
}

class SignalCase : public ::testing::TestWithParam<int> {};

TEST_P(SignalCase, ReachesTheEventLoopOnce) {
  app::SessionEndSignals signals_;
  int ends = 0;
  signals_.OnSessionEnd = [&ends] { ++ends; };
  std::raise(GetParam());
  EXPECT_EQ(ServeUntil(ends, 1), 1);
  // Nothing more arrives for the one signal.
  QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
  EXPECT_EQ(ends, 1);
}

INSTANTIATE_TEST_SUITE_P(SessionEnd, SignalCase, ::testing::Values(SIGTERM, SIGHUP),
                         [](const auto& info) { return std::string(info.param == SIGTERM ? "Term" : "Hangup"); });

}  // namespace
