// The resume and network signals from python3-dbusmock's logind and
// NetworkManager on a private bus (private_bus.sh) that stands for the
// system bus here.
#include "app/lifecycle/wake_signals.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusReply>
#include <QDeadlineTimer>
#include <QProcess>
#include <cstdlib>
#include <memory>

#include "tests/support/qt_environment.h"

namespace {

constexpr int kLimitMs = 10'000;
constexpr unsigned kDisconnected = 20;     // NM_STATE_DISCONNECTED
constexpr unsigned kConnectedGlobal = 70;  // NM_STATE_CONNECTED_GLOBAL

template <typename Condition>
bool ServeEventsUntil(Condition done, int limitMs = kLimitMs) {
  const QDeadlineTimer deadline(limitMs);
  while (!done() && !deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  return done();
}

// A dbusmock template serving `name` on the system bus while the object lives.
class MockService {
 public:
  MockService(const QString& templateName, const QString& name) : name_(name) {
    // dbusmock is installed for the system's interpreter, not any other first on PATH.
    mock_.start(QStringLiteral("/usr/bin/python3"),
                {QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("--system"),
                 QStringLiteral("--template"), templateName});
  }
  ~MockService() {
    mock_.kill();
    mock_.waitForFinished(kLimitMs);
  }

  bool Registered() {
    return ServeEventsUntil([this] { return QDBusConnection::systemBus().interface()->isServiceRegistered(name_); });
  }
  // A method of the template's org.freedesktop.DBus.Mock interface on `path`.
  bool Call(const QString& path, const QString& method, const QVariantList& arguments) {
    QDBusInterface mock(name_, path, QStringLiteral("org.freedesktop.DBus.Mock"), QDBusConnection::systemBus());
    const QDBusMessage reply = mock.callWithArgumentList(QDBus::Block, method, arguments);
    return reply.type() == QDBusMessage::ReplyMessage;
  }

 private:
  QString name_;
  QProcess mock_;
};

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
  MockService login(QStringLiteral("logind"), QStringLiteral("org.freedesktop.login1"));
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
  MockService network(QStringLiteral("networkmanager"), QStringLiteral("org.freedesktop.NetworkManager"));
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
