#include "tests/support/dbus_mock.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusMessage>

#include "tests/support/serve_events.h"

namespace testsupport {

namespace {

constexpr int kLimitMs = 10'000;
const QString kMockInterface = QStringLiteral("org.freedesktop.DBus.Mock");

}  // namespace

DbusMock::DbusMock(const QString& templateName, const QString& service, Bus bus) : service_(service), bus_(bus) {
  // dbusmock is installed for the system's interpreter, not any other first on PATH.
  mock_.start(QStringLiteral("/usr/bin/python3"),
              {QStringLiteral("-m"), QStringLiteral("dbusmock"),
               bus == Bus::kSystem ? QStringLiteral("--system") : QStringLiteral("--session"),
               QStringLiteral("--template"), templateName});
}

DbusMock::~DbusMock() {
  mock_.kill();
  mock_.waitForFinished(kLimitMs);
}

QDBusConnection DbusMock::Connection() const {
  return bus_ == Bus::kSystem ? QDBusConnection::systemBus() : QDBusConnection::sessionBus();
}

bool DbusMock::Registered() {
  return ServeEventsUntil([this] { return Connection().interface()->isServiceRegistered(service_); });
}

bool DbusMock::Call(const QString& path, const QString& method, const QVariantList& arguments) {
  QDBusInterface mock(service_, path, kMockInterface, Connection());
  return mock.callWithArgumentList(QDBus::Block, method, arguments).type() == QDBusMessage::ReplyMessage;
}

// GetMethodCalls answers a(tav): a time stamp and the arguments of each call.
std::vector<QVariantList> DbusMock::Calls(const QString& path, const QString& method) {
  QDBusInterface mock(service_, path, kMockInterface, Connection());
  const QDBusMessage reply = mock.call(QStringLiteral("GetMethodCalls"), method);
  std::vector<QVariantList> calls;
  if (reply.type() != QDBusMessage::ReplyMessage) return calls;
  const QDBusArgument list = reply.arguments().value(0).value<QDBusArgument>();
  list.beginArray();
  while (!list.atEnd()) {
    qulonglong time = 0;
    QVariantList arguments;
    list.beginStructure();
    list >> time >> arguments;
    list.endStructure();
    calls.push_back(arguments);
  }
  list.endArray();
  return calls;
}

}  // namespace testsupport
