#include "desktop/desktop_notification.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace desktop {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
const QString kShowAction = QStringLiteral("show");

QDBusMessage Call(const QString& method) { return QDBusMessage::createMethodCall(kService, kPath, kInterface, method); }

}  // namespace

DesktopNotification::DesktopNotification() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  bus.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
              SLOT(ActionInvoked(uint, QString)));
  bus.connect(kService, kPath, kInterface, QStringLiteral("ActivationToken"), this,
              SLOT(ActivationToken(uint, QString)));
  bus.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
              SLOT(NotificationClosed(uint, uint)));
}

bool DesktopNotification::Available() const {
  const QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
  return bus != nullptr &&
         (bus->isServiceRegistered(kService) || bus->activatableServiceNames().value().contains(kService));
}

// The reply comes through the event loop: a service that hangs holds up nothing.
void DesktopNotification::Show(const QString& summary, const QString& body) {
  QDBusMessage notify = Call(QStringLiteral("Notify"));
  notify << QStringLiteral("Tessaro") << id_ << QStringLiteral("tessaro") << summary << body
         << QStringList{QStringLiteral("default"), QStringLiteral("Показать"), kShowAction, QStringLiteral("Показать")}
         << QVariantMap{} << -1;
  auto* watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(notify), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* call) {
    const QDBusPendingReply<uint> reply = *call;
    if (reply.isValid()) id_ = reply.value();
    call->deleteLater();
  });
}

void DesktopNotification::Close() {
  if (id_ == 0) return;
  QDBusConnection::sessionBus().asyncCall(Call(QStringLiteral("CloseNotification")) << id_);
  id_ = 0;
}

void DesktopNotification::ActionInvoked(uint id, const QString& action) {
  if (id != id_ || id == 0) return;
  if ((action == QStringLiteral("default") || action == kShowAction) && OnShowWindow) OnShowWindow();
}

// Sent just before ActionInvoked; the Wayland platform takes the token from
// the environment when the window asks to be activated.
void DesktopNotification::ActivationToken(uint id, const QString& token) {
  if (id == id_ && id != 0 && !token.isEmpty()) qputenv("XDG_ACTIVATION_TOKEN", token.toUtf8());
}

void DesktopNotification::NotificationClosed(uint id, uint) {
  if (id == id_) id_ = 0;
}

}  // namespace desktop
