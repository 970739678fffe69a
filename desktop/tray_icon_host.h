// What the tray icon component needs from the desktop: the icon's presence in
// the notification area, the mouse messages that happen on it, the pointer and
// keyboard state, and a popup menu shown modally. A test puts its own in.
#pragma once

#include <QIcon>
#include <QMenu>
#include <QPoint>
#include <QString>
#include <functional>

#include "desktop/mouse_event_types.h"

namespace desktop {

// Mouse messages on the icon, numbered as the classic tray protocol numbers them.
enum TrayMouseMessage : int {
  kMouseMove = 512,
  kLeftButtonDown = 513,
  kLeftButtonUp = 514,
  kLeftButtonDblClk = 515,
  kRightButtonDown = 516,
  kRightButtonUp = 517,
  kRightButtonDblClk = 518,
  kMiddleButtonDown = 519,
  kMiddleButtonUp = 520,
  kMiddleButtonDblClk = 521,
};

class TrayIconHost {
 public:
  using MessageSink = std::function<void(int message)>;

  virtual ~TrayIconHost() = default;

  // From now on every mouse message on the icon goes to `sink`.
  virtual void Listen(MessageSink sink) = 0;
  // Puts the icon into the notification area; false when the desktop refused it.
  virtual bool Add(const QIcon& icon, const QString& tip) = 0;
  virtual void Modify(const QIcon& icon, const QString& tip) = 0;
  // Removes the icon; harmless when it is not there.
  virtual void Delete() = 0;
  // The icon's menu, for a desktop that shows tray menus itself; nullptr when
  // the icon has none to show.
  virtual void OfferMenu(QMenu* menu) = 0;
  // Screen position of the pointer.
  virtual QPoint CursorPos() const = 0;
  // Shift, Alt and Ctrl as they are held now.
  virtual TShiftState KeyboardShift() const = 0;
  // Ends a mouse capture or drag in progress, so that the menu gets the mouse.
  virtual void CancelMode() = 0;
  // Serves pending events, shows `menu` at the screen point `at` and returns when it closed.
  virtual void ExecMenu(QMenu& menu, const QPoint& at) = 0;
};

}  // namespace desktop
