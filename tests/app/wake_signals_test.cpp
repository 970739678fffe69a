// The resume and network signals from python3-dbusmock's logind and
// NetworkManager on a private bus (private_bus.sh) that stands for the
// system bus here.
#include "app/lifecycle/wake_signals.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "tests/support/dbus_mock.h"
#include "tests/support/qt_environment.h"
#include "tests/support/serve_events.h"

namespace {

constexpr unsigned kDisconnected = 20;     // NM_STATE_DISCONNECTED
constexpr unsigned kConnectedGlobal = 70;  // NM_STATE_CONNECTED_GLOBAL

using testsupport::DbusMock;
using testsupport::ServeEventsUntil;

class WakeSignalsTest : public ::testing::Test {
 protected:
  WakeSignalsTest() {
    const char* bus = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    EXPECT_NE(bus, nullptr) << "run through private_bus.sh";
    if (bus != nullptr) ::setenv("DBUS_SYSTEM_BUS_ADDRESS", bus, 1);
  }

  std::unique_ptr<app::WakeSignals> Listen() {
    auto listener = std::make_unique<app::WakeSignals>();
    listener->OnWake = [this] { ++wakes_; };
    return listener;
  }

  int wakes_ = 0;
};

TEST_F(WakeSignalsTest, TheEndOfASleepWakesTheProgramAndItsStartDoesNot) {
  DbusMock login(QStringLiteral("logind"), QStringLiteral("org.freedesktop.login1"), DbusMock::Bus::kSystem);
  ASSERT_TRUE(login.Registered());
  const auto listener = Listen();
  const auto emitSleep = [&login](bool sleeping) {
    return login.Call(QStringLiteral("/org/freedesktop/login1"), QStringLiteral("EmitSignal"),
                      {QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"),
                       QStringLiteral("b"), QVariantList{sleeping}});
  };

  ASSERT_TRUE(emitSleep(true));
  ASSERT_TRUE(emitSleep(false));
  EXPECT_TRUE(ServeEventsUntil([this] { return wakes_ > 0; }));
  ServeEventsUntil([] { return false; }, 200);  // a wake for the sleep itself would have come by now
  EXPECT_EQ(wakes_, 1);
}

TEST_F(WakeSignalsTest, TheNetworkComingBackWakesTheProgram) {
  DbusMock network(QStringLiteral("networkmanager"), QStringLiteral("org.freedesktop.NetworkManager"),
                   DbusMock::Bus::kSystem);
  ASSERT_TRUE(network.Registered());
  const auto listener = Listen();
  const QString manager = QStringLiteral("/org/freedesktop/NetworkManager");
  const auto setState = [&](unsigned state) {
    return network.Call(manager, QStringLiteral("SetGlobalConnectionState"), {state});
  };

  ASSERT_TRUE(setState(kDisconnected));
  ASSERT_TRUE(ServeEventsUntil([] {
    return QNetworkInformation::instance() != nullptr &&
           QNetworkInformation::instance()->reachability() == QNetworkInformation::Reachability::Disconnected;
  }));
  EXPECT_EQ(wakes_, 0);
  ASSERT_TRUE(setState(kConnectedGlobal));
  EXPECT_TRUE(ServeEventsUntil([this] { return wakes_ > 0; }));
  EXPECT_EQ(wakes_, 1);
}

// Without logind or NetworkManager nothing is reported and nothing fails.
TEST_F(WakeSignalsTest, WithoutTheServicesNothingWakes) {
  const auto listener = Listen();
  ServeEventsUntil([] { return false; }, 200);
  EXPECT_EQ(wakes_, 0);
}

}  // namespace
