// A popup menu that a component (the tray icon) may open on its own.
#pragma once

#include <QMenu>
#include <QObject>
#include <QPointer>

namespace desktop {

class TPopupMenu : public QMenu {
 public:
  using QMenu::QMenu;

  // False: a right click on the owning component does not open the menu and is
  // handed on as an ordinary click instead.
  bool AutoPopup = true;
  // The component the menu was last opened for; its handlers may ask.
  QPointer<QObject> PopupComponent;
};

}  // namespace desktop
