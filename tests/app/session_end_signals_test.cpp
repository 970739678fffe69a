#include "app/lifecycle/session_end_signals.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <csignal>
#include <string>

#include "tests/support/qt_environment.h"
#include "tests/support/serve_events.h"

namespace {

class SignalCase : public ::testing::TestWithParam<int> {};

TEST_P(SignalCase, ReachesTheEventLoopOnce) {
  app::SessionEndSignals signals_;
  int ends = 0;
  signals_.OnSessionEnd = [&ends] { ++ends; };
  std::raise(GetParam());
  testsupport::ServeEventsUntil([&ends] { return ends >= 1; }, 5000);
  EXPECT_EQ(ends, 1);
  // Nothing more arrives for the one signal.
  QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
  EXPECT_EQ(ends, 1);
}

INSTANTIATE_TEST_SUITE_P(SessionEnd, SignalCase, ::testing::Values(SIGTERM, SIGHUP),
                         [](const auto& info) { return std::string(info.param == SIGTERM ? "Term" : "Hangup"); });

}  // namespace
