// The tray icon host on Qt's QSystemTrayIcon.
#pragma once

#include <QSystemTrayIcon>
#include <vector>

#include "desktop/tray_icon_host.h"

namespace desktop {

// The mouse messages an activation of Qt's tray icon stands for. Qt reports
// whole clicks, so each becomes the press and release the component expects;
// a double click is the double-click message followed by the second release.
std::vector<int> TrayMessagesForActivation(QSystemTrayIcon::ActivationReason reason);

class QtTrayIconHost final : public TrayIconHost {
 public:
  QtTrayIconHost() = default;
  QtTrayIconHost(const QtTrayIconHost&) = delete;
  QtTrayIconHost& operator=(const QtTrayIconHost&) = delete;

  void Listen(MessageSink sink) override;
  bool Add(const QIcon& icon, const QString& tip) override;
  void Modify(const QIcon& icon, const QString& tip) override;
  void Delete() override;
  QPoint CursorPos() const override;
  TShiftState KeyboardShift() const override;
  void CancelMode() override;
  void ExecMenu(QMenu& menu, const QPoint& at) override;

 private:
  QSystemTrayIcon tray_;
};

}  // namespace desktop
