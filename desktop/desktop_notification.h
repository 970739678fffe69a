// The desktop's own notification (org.freedesktop.Notifications on the
// session bus), the announcement a Wayland desktop shows and lets the user
// click: one at a time, each new one replacing the last, with a default
// action and "Показать" that bring the program's window up.
#pragma once

#include <QObject>
#include <QString>
#include <functional>

namespace desktop {

class DesktopNotification : public QObject {
  Q_OBJECT

 public:
  DesktopNotification();

  // Whether a notification service is on the session bus, or would start there.
  bool Available() const;
  // Posts `summary` and `body`, replacing the notification shown before.
  void Show(const QString& summary, const QString& body);
  // Takes the shown notification away, if any.
  void Close();
  // Whether a notification of ours is up, as far as the service has said.
  bool Shown() const { return id_ != 0; }

  // One of the actions was chosen. The activation token the service sent
  // with it, if any, is in XDG_ACTIVATION_TOKEN for the window to come up with.
  std::function<void()> OnShowWindow;

 private slots:
  void ActionInvoked(uint id, const QString& action);
  void ActivationToken(uint id, const QString& token);
  void NotificationClosed(uint id, uint reason);

 private:
  uint id_ = 0;
};

}  // namespace desktop
