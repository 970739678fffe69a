#include "desktop/new_tray_icon.h"

#include <QAction>
#include <QtGlobal>
#include <utility>

#include "desktop/exception_text.h"
#include "desktop/qt_tray_icon_host.h"

namespace desktop {

namespace {

// The classic tip field holds 64 characters with its terminating zero.
constexpr qsizetype kMaxTipLength = 63;

}  // namespace

QString ShortHint(const QString& hint) {
  QString shown = hint.left(hint.indexOf(u'|'));
  if (shown.size() <= kMaxTipLength) return shown;
  shown.truncate(kMaxTipLength);
  // Never leave half of a surrogate pair behind.
  if (shown.back().isHighSurrogate()) shown.chop(1);
  return shown;
}

TNewTrayIcon::TNewTrayIcon() : TNewTrayIcon(std::make_unique<QtTrayIconHost>()) {}

TNewTrayIcon::TNewTrayIcon(std::unique_ptr<TrayIconHost> host) : host_(std::move(host)) {
  host_->Listen([this](int message) { HandleMouseMessage(message); });
}

TNewTrayIcon::~TNewTrayIcon() { HideIcon(); }

void TNewTrayIcon::SetActive(bool value) {
  if (value == active_) return;
  active_ = value;
  if (!loaded_) return;
  if (active_)
    ShowIcon();
  else
    HideIcon();
}

void TNewTrayIcon::SetHint(const QString& value) {
  if (value == hint_) return;
  hint_ = value;
  UpdateIcon();
}

void TNewTrayIcon::SetIcon(const QIcon& value) {
  icon_ = value;
  UpdateIcon();
}

void TNewTrayIcon::SetPopupMenu(TPopupMenu* value) {
  popupMenu_ = value;
  OfferMenu();
}

// A desktop that opens the menu itself gets it only when a right click would
// open it here.
void TNewTrayIcon::OfferMenu() {
  TPopupMenu* menu = popupMenu_;
  if (menu == nullptr || !menu->AutoPopup) {
    host_->OfferMenu(nullptr);
    return;
  }
  menu->PopupComponent = this;
  host_->OfferMenu(menu);
}

void TNewTrayIcon::Loaded() {
  loaded_ = true;
  if (active_) ShowIcon();
}

void TNewTrayIcon::ShowIcon() {
  HideIcon();
  if (icon_.isNull()) return;
  leftPressed_ = false;
  rightPressed_ = false;
  OfferMenu();
  iconShown_ = host_->Add(icon_, ShortHint(hint_));
}

void TNewTrayIcon::HideIcon() {
  host_->Delete();
  iconShown_ = false;
  leftPressed_ = false;
  rightPressed_ = false;
}

// A change while the icon is absent retries the add: that is how an icon whose
// add was refused (no notification area yet) appears later.
void TNewTrayIcon::UpdateIcon() {
  if (!iconShown_) {
    if (loaded_ && active_) ShowIcon();
    return;
  }
  if (icon_.isNull())
    HideIcon();
  else
    host_->Modify(icon_, ShortHint(hint_));
}

// Handlers' errors must not unwind into the event loop that delivered the message.
void TNewTrayIcon::HandleMouseMessage(int message) {
  const QPoint at = host_->CursorPos();
  const TShiftState shift = host_->KeyboardShift();
  try {
    Dispatch(message, at.x(), at.y(), shift);
  } catch (const std::exception& error) {
    if (ErrorDisplay)
      ErrorDisplay(error);
    else
      qWarning("%s", qUtf8Printable(ExceptionText(error)));
  }
}

void TNewTrayIcon::Dispatch(int message, int x, int y, TShiftState shift) {
  switch (message) {
    case kMouseMove:
      if (OnMouseMove) OnMouseMove(*this, shift, x, y);
      break;
    case kLeftButtonDown:
      MouseDown(mbLeft, shift | ssLeft, x, y);
      leftPressed_ = true;
      break;
    case kLeftButtonUp:
      ButtonUp(leftPressed_, mbLeft, shift | ssLeft, x, y);
      break;
    case kLeftButtonDblClk:
      DblClick();
      MouseDown(mbLeft, shift | ssDouble, x, y);
      break;
    case kRightButtonDown:
      MouseDown(mbRight, shift | ssRight, x, y);
      rightPressed_ = true;
      break;
    case kRightButtonUp:
      ButtonUp(rightPressed_, mbRight, shift | ssRight, x, y);
      break;
    case kRightButtonDblClk:
      MouseDown(mbRight, shift | ssDouble, x, y);
      break;
    case kMiddleButtonDown:
      MouseDown(mbMiddle, shift | ssMiddle, x, y);
      break;
    case kMiddleButtonUp:
      MouseUp(mbMiddle, shift | ssMiddle, x, y);
      break;
    case kMiddleButtonDblClk:
      MouseDown(mbMiddle, shift | ssDouble, x, y);
      break;
    default:
      break;
  }
}

// A release clicks only when the press happened on the icon too.
void TNewTrayIcon::ButtonUp(bool& pressed, TMouseButton button, TShiftState shift, int x, int y) {
  if (pressed) {
    pressed = false;
    Click(button, shift, x, y);
  }
  MouseUp(button, shift, x, y);
}

void TNewTrayIcon::Click(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbRight && PopupAtCursor(x, y)) return;
  if (OnClick) OnClick(*this, button, shift, x, y);
}

void TNewTrayIcon::DblClick() {
  if (ClickDefaultItem()) return;
  if (OnDblClick) OnDblClick(*this);
}

void TNewTrayIcon::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseDown) OnMouseDown(*this, button, shift, x, y);
}

void TNewTrayIcon::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseUp) OnMouseUp(*this, button, shift, x, y);
}

bool TNewTrayIcon::PopupAtCursor(int x, int y) {
  TPopupMenu* menu = popupMenu_;
  if (!active_ || menu == nullptr || !menu->AutoPopup) return false;
  menu->PopupComponent = this;
  host_->CancelMode();
  host_->ExecMenu(*menu, QPoint(x, y));
  return true;
}

bool TNewTrayIcon::ClickDefaultItem() {
  TPopupMenu* menu = popupMenu_;
  if (!active_ || menu == nullptr) return false;
  QAction* item = menu->defaultAction();
  if (item == nullptr || !item->isEnabled() || !menu->actions().contains(item)) return false;
  item->trigger();
  return true;
}

}  // namespace desktop
