// TNewTrayIcon: one icon with a tip in the desktop's notification area. It
// turns the mouse messages on the icon into events, opens its popup menu on a
// right click and runs the menu's default item on a double click.
// A desktop that draws tray menus itself is handed the popup menu instead.
//
// Nothing is put into the notification area before Loaded(): the owner sets
// Icon, Hint, PopupMenu and the events first. A refused add is not reported;
// the next change of tip or image tries again.
#pragma once

#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QString>
#include <exception>
#include <functional>
#include <memory>

#include "desktop/mouse_event_types.h"
#include "desktop/popup_menu.h"
#include "desktop/tray_icon_host.h"

namespace desktop {

// The part of a tip the notification area shows: the text before the first
// "|", at most 63 characters.
QString ShortHint(const QString& hint);

class TNewTrayIcon : public QObject {
  Q_OBJECT

 public:
  using TMouseEvent =
      std::function<void(TNewTrayIcon& sender, TMouseButton button, TShiftState shift, int x, int y)>;
  using TMouseMoveEvent = std::function<void(TNewTrayIcon& sender, TShiftState shift, int x, int y)>;
  using TNotifyEvent = std::function<void(TNewTrayIcon& sender)>;
  using TErrorDisplay = std::function<void(const std::exception& error)>;

  // On Qt's system tray icon.
  TNewTrayIcon();
  explicit TNewTrayIcon(std::unique_ptr<TrayIconHost> host);
  TNewTrayIcon(const TNewTrayIcon&) = delete;
  TNewTrayIcon& operator=(const TNewTrayIcon&) = delete;
  ~TNewTrayIcon() override;

  bool Active() const { return active_; }
  void SetActive(bool value);
  const QString& Hint() const { return hint_; }
  void SetHint(const QString& value);
  const QIcon& Icon() const { return icon_; }
  void SetIcon(const QIcon& value);
  // Cleared by itself when the menu is destroyed.
  TPopupMenu* PopupMenu() const { return popupMenu_; }
  void SetPopupMenu(TPopupMenu* value);

  // Events; an empty one is not called. Coordinates are the pointer's on the screen.
  TMouseEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  // Receives what an event handler raised while a mouse message was handled;
  // the application binds its standard error box here.
  TErrorDisplay ErrorDisplay;

  // The owner has set the properties up: the icon shows when Active.
  void Loaded();
  // The last add was accepted and the icon has not been removed since.
  bool IconShown() const { return iconShown_; }

  void ShowIcon();
  void HideIcon();
  void UpdateIcon();

  // One mouse message on the icon (TrayMouseMessage); others are ignored.
  void HandleMouseMessage(int message);
  // Opens PopupMenu at (x, y) and returns when it closed; false when it was not opened.
  bool PopupAtCursor(int x, int y);
  // Runs the popup menu's enabled default item; false when there is none.
  bool ClickDefaultItem();

 private:
  void OfferMenu();
  void Dispatch(int message, int x, int y, TShiftState shift);
  void ButtonUp(bool& pressed, TMouseButton button, TShiftState shift, int x, int y);
  void Click(TMouseButton button, TShiftState shift, int x, int y);
  void DblClick();
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y);

  std::unique_ptr<TrayIconHost> host_;
  bool active_ = true;
  bool loaded_ = false;
  QString hint_;
  QIcon icon_;
  QPointer<TPopupMenu> popupMenu_;
  bool iconShown_ = false;
  bool leftPressed_ = false;
  bool rightPressed_ = false;
};

}  // namespace desktop
