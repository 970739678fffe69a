#include "desktop/qt_tray_icon_host.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QGuiApplication>
#include <QWidget>
#include <utility>

namespace desktop {

TrayProtocol SessionTrayProtocol() {
  const QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
  if (bus != nullptr && bus->isServiceRegistered(QStringLiteral("org.kde.StatusNotifierWatcher")))
    return TrayProtocol::kStatusNotifier;
  return TrayProtocol::kXEmbed;
}

std::vector<int> TrayMessagesForActivation(QSystemTrayIcon::ActivationReason reason, TrayProtocol protocol) {
  switch (reason) {
    case QSystemTrayIcon::Trigger:
      if (protocol == TrayProtocol::kStatusNotifier)
        return {kLeftButtonDown, kLeftButtonUp, kLeftButtonDblClk, kLeftButtonUp};
      return {kLeftButtonDown, kLeftButtonUp};
    case QSystemTrayIcon::DoubleClick:
      return {kLeftButtonDblClk, kLeftButtonUp};
    case QSystemTrayIcon::Context:
      return {kRightButtonDown, kRightButtonUp};
    case QSystemTrayIcon::MiddleClick:
      return {kMiddleButtonDown, kMiddleButtonUp};
    case QSystemTrayIcon::Unknown:
      break;
  }
  return {};
}

QtTrayIconHost::QtTrayIconHost() : protocol_(SessionTrayProtocol()) {}

QtTrayIconHost::QtTrayIconHost(TrayProtocol protocol) : protocol_(protocol) {}

// A D-Bus activation arrives inside the host's method call: a menu opened
// right there would hold the call's reply until it closed.
void QtTrayIconHost::Listen(MessageSink sink) {
  const Qt::ConnectionType delivery =
      protocol_ == TrayProtocol::kStatusNotifier ? Qt::QueuedConnection : Qt::AutoConnection;
  QObject::connect(
      &tray_, &QSystemTrayIcon::activated, &tray_,
      [this, sink = std::move(sink)](QSystemTrayIcon::ActivationReason reason) {
        for (const int message : TrayMessagesForActivation(reason, protocol_)) sink(message);
      },
      delivery);
}

// Qt accepts an icon even with no notification area and never says whether it
// docked; the tray's presence at the time of the request is the answer.
bool QtTrayIconHost::Add(const QIcon& icon, const QString& tip) {
  if (!QSystemTrayIcon::isSystemTrayAvailable()) return false;
  tray_.setIcon(icon);
  tray_.setToolTip(tip);
  tray_.show();
  return true;
}

void QtTrayIconHost::Modify(const QIcon& icon, const QString& tip) {
  tray_.setIcon(icon);
  tray_.setToolTip(tip);
}

void QtTrayIconHost::Delete() { tray_.hide(); }

// An XEmbed tray leaves the menu to us; handing it to Qt there would make Qt
// open it on its own at a right click.
void QtTrayIconHost::OfferMenu(QMenu* menu) {
  if (protocol_ == TrayProtocol::kStatusNotifier) tray_.setContextMenu(menu);
}

QPoint QtTrayIconHost::CursorPos() const { return QCursor::pos(); }

TShiftState QtTrayIconHost::KeyboardShift() const {
  const Qt::KeyboardModifiers keys = QGuiApplication::queryKeyboardModifiers();
  TShiftState shift;
  if (keys & Qt::ShiftModifier) shift |= ssShift;
  if (keys & Qt::AltModifier) shift |= ssAlt;
  if (keys & Qt::ControlModifier) shift |= ssCtrl;
  return shift;
}

void QtTrayIconHost::CancelMode() {
  if (QWidget* grabber = QWidget::mouseGrabber()) grabber->releaseMouse();
  if (QWidget* grabber = QWidget::keyboardGrabber()) grabber->releaseKeyboard();
}

void QtTrayIconHost::ExecMenu(QMenu& menu, const QPoint& at) {
  QCoreApplication::processEvents();
  menu.exec(at);
}

}  // namespace desktop
