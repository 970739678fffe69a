// The tray icon host on Qt's QSystemTrayIcon.
#pragma once

#include <QSystemTrayIcon>
#include <vector>

#include "desktop/tray_icon_host.h"

namespace desktop {

// How Qt's tray icon reaches the desktop: docked as a window into an XEmbed
// tray, or published as a StatusNotifierItem on D-Bus. The latter's hosts show
// the item's menu themselves and report a click as a plain activation.
enum class TrayProtocol { kXEmbed, kStatusNotifier };

// The protocol Qt picks in this session: the D-Bus one when a
// StatusNotifierWatcher is on the session bus.
TrayProtocol SessionTrayProtocol();

// The mouse messages an activation of Qt's tray icon stands for. Qt reports
// whole clicks, so each becomes the press and release the component expects;
// a double click is the double-click message followed by the second release.
// An activation through D-Bus is the item's main action, a whole double click.
std::vector<int> TrayMessagesForActivation(QSystemTrayIcon::ActivationReason reason, TrayProtocol protocol);

class QtTrayIconHost final : public TrayIconHost {
 public:
  // Speaks the protocol Qt chose for the icon.
  QtTrayIconHost();
  explicit QtTrayIconHost(TrayProtocol protocol);
  QtTrayIconHost(const QtTrayIconHost&) = delete;
  QtTrayIconHost& operator=(const QtTrayIconHost&) = delete;

  void Listen(MessageSink sink) override;
  bool Add(const QIcon& icon, const QString& tip) override;
  void Modify(const QIcon& icon, const QString& tip) override;
  void Delete() override;
  void OfferMenu(QMenu* menu) override;
  QPoint CursorPos() const override;
  TShiftState KeyboardShift() const override;
  void CancelMode() override;
  void ExecMenu(QMenu& menu, const QPoint& at) override;

  TrayProtocol Protocol() const { return protocol_; }
  // The menu the desktop shows by itself; nullptr when it shows ours.
  QMenu* DesktopMenu() const { return tray_.contextMenu(); }

 private:
  // Qt picks the protocol when the icon is made, so this comes first.
  QSystemTrayIcon tray_;
  TrayProtocol protocol_;
};

}  // namespace desktop
