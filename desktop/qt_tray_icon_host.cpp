#include "desktop/qt_tray_icon_host.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QWidget>
#include <utility>

namespace desktop {

std::vector<int> TrayMessagesForActivation(QSystemTrayIcon::ActivationReason reason) {
  switch (reason) {
    case QSystemTrayIcon::Trigger:
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

void QtTrayIconHost::Listen(MessageSink sink) {
  QObject::connect(&tray_, &QSystemTrayIcon::activated,
                   [sink = std::move(sink)](QSystemTrayIcon::ActivationReason reason) {
                     for (const int message : TrayMessagesForActivation(reason)) sink(message);
                   });
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
