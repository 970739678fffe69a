#include "desktop/form_placement_reg.h"

#include "desktop/exception_text.h"
#include "desktop/qt_text.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDialog>
#include <QFileInfo>
#include <QScopeGuard>

#include <algorithm>
#include <exception>
#include <initializer_list>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/cp1251.h"

namespace desktop {

namespace {

// The stored placement is Windows' placement record. On Qt it maps as follows:
//   "Flags"     2 (restore to maximised) while the window is minimised from the
//               maximised state (Qt: Minimized | Maximized), otherwise 0.
//   "ShowCmd"   written 2 when minimised, 3 when maximised or full screen, else 1.
//               Read back 2 and 6 as minimised (also maximised when "Flags" has
//               bit 2, so the window comes back maximised), 3 as maximised, and
//               every other value as Qt's no state.
//   "MinMaxPos" -1,-1 for the icon position, which X desktops do not have, then
//               the maximised window's top-left, or -1,-1 when it is not
//               maximised. Not applied: the window manager places minimised and
//               maximised windows itself.
//   "NormPos"   normalGeometry(), the client area without the window frame, as
//               left, top, left + width, top + height (right and bottom
//               exclusive, as in a Windows rectangle); applied with setGeometry.
struct WindowPlacement {
  int Flags = 0;
  int ShowCmd = 1;
  QPoint MinPosition{-1, -1};
  QPoint MaxPosition{-1, -1};
  QRect Normal;
};

constexpr int kRestoreToMaximized = 2;
constexpr int kShowMinimized = 2;
constexpr int kShowMaximized = 3;

WindowPlacement CurrentPlacement(const QWidget& form) {
  const Qt::WindowStates state = form.windowState();
  const bool minimized = state.testFlag(Qt::WindowMinimized);
  const bool maximized = state.testAnyFlags(Qt::WindowMaximized | Qt::WindowFullScreen);
  WindowPlacement placement;
  placement.Flags = minimized && maximized ? kRestoreToMaximized : 0;
  placement.ShowCmd = minimized ? kShowMinimized : maximized ? kShowMaximized : 1;
  if (maximized) placement.MaxPosition = form.geometry().topLeft();
  placement.Normal = form.normalGeometry();
  return placement;
}

Qt::WindowStates StateOfShowCmd(int showCmd, int flags) {
  switch (showCmd) {
    case 2:
    case 6:
      return flags & kRestoreToMaximized ? Qt::WindowMinimized | Qt::WindowMaximized : Qt::WindowMinimized;
    case 3:
      return Qt::WindowMaximized;
    default:
      return Qt::WindowNoState;
  }
}

std::string FourNumbers(int a, int b, int c, int d) {
  return std::to_string(a) + "," + std::to_string(b) + "," + std::to_string(c) + "," + std::to_string(d);
}

// Words separated by commas or blanks; a run of separators counts as one.
std::vector<std::string_view> Words(std::string_view text) {
  std::vector<std::string_view> words;
  while (!text.empty()) {
    const std::size_t start = text.find_first_not_of(", ");
    if (start == std::string_view::npos) break;
    text.remove_prefix(start);
    const std::size_t end = std::min(text.find_first_of(", "), text.size());
    words.push_back(text.substr(0, end));
    text.remove_prefix(end);
  }
  return words;
}

int Word(const std::vector<std::string_view>& words, std::size_t index, int defaultValue) {
  return index < words.size() ? platform::ParseInteger(words[index], defaultValue) : defaultValue;
}

bool IsFixedSize(const QWidget& form) { return form.minimumSize() == form.maximumSize(); }

// Coordinates of a hand-edited file far beyond any screen would overflow Qt's
// rectangle arithmetic; such a rectangle is not applied.
bool InScreenRange(std::initializer_list<int> coordinates) {
  return std::all_of(coordinates.begin(), coordinates.end(),
                     [](int c) { return c >= -QWIDGETSIZE_MAX && c <= QWIDGETSIZE_MAX; });
}

}  // namespace

TFormPlacementReg::TFormPlacementReg(QWidget& form, platform::RegistryOpener opener)
    : form_(&form), opener_(std::move(opener)) {
  form.installEventFilter(this);
  if (auto* dialog = qobject_cast<QDialog*>(&form))
    connect(dialog, &QDialog::finished, this, [this] {
      if (Active) FromEvent(&TFormPlacementReg::SavePlacement);
    });
}

TFormPlacementReg::~TFormPlacementReg() {
  if (Active && !saved_) {
    try {
      SavePlacement();
    } catch (...) {
      // A destructor has no one to tell; the form is going away regardless.
    }
  }
  if (form_) form_->removeEventFilter(this);
}

std::string TFormPlacementReg::KeyPath() const {
  if (!IniFileName.empty()) return IniFileName;
  return "Software\\" + desktop::FromQString(QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName());
}

std::string TFormPlacementReg::Section() const {
  if (!IniSection.empty() || !form_) return IniSection;
  const std::string_view name = form_->metaObject()->className();
  const std::size_t colons = name.rfind("::");
  return std::string(colons == std::string_view::npos ? name : name.substr(colons + 2));
}

void TFormPlacementReg::SavePlacement() {
  if (!restored_ || !form_) return;  // never overwrite what this run has not read
  const std::unique_ptr<platform::RegistryStore> store = opener_(KeyPath());
  regIniFile_ = store.get();
  const auto close = qScopeGuard([this] { regIniFile_ = nullptr; });
  // The placement and the form's own values replace the stored copy once, together.
  platform::RegistryBatch batch(*store);

  WindowPlacement placement = CurrentPlacement(*form_);
  if (ApplicationMinimized && ApplicationMinimized()) placement.ShowCmd = kShowMinimized;
  const std::string section = Section();
  store->WriteInteger(section, "Flags", placement.Flags);
  store->WriteInteger(section, "ShowCmd", placement.ShowCmd);
  store->WriteString(section, "MinMaxPos",
                     FourNumbers(placement.MinPosition.x(), placement.MinPosition.y(), placement.MaxPosition.x(),
                                 placement.MaxPosition.y()));
  const QRect& normal = placement.Normal;
  store->WriteString(
      section, "NormPos",
      FourNumbers(normal.left(), normal.top(), normal.left() + normal.width(), normal.top() + normal.height()));
  const QWidget* focused = form_->focusWidget();
  if (Options.testFlag(fpActiveControl) && focused && focused != form_)
    store->WriteString(section, "ActiveControl", desktop::FromQString(focused->objectName()));
  if (OnSavePlacement) OnSavePlacement(*this);
  batch.Commit();
  saved_ = true;
}

void TFormPlacementReg::RestorePlacement() {
  saved_ = false;
  if (!form_) return;
  const std::unique_ptr<platform::RegistryStore> store = opener_(KeyPath());
  regIniFile_ = store.get();
  const auto close = qScopeGuard([this] { regIniFile_ = nullptr; });

  if (!restored_) ReadPlacement(*store);  // once per component life
  restored_ = true;
  if (OnRestorePlacement) OnRestorePlacement(*this);
  if (Options.testFlag(fpActiveControl)) RestoreActiveControl(*store);
}

void TFormPlacementReg::ReadPlacement(const platform::RegistryStore& store) {
  const bool position = Options.testFlag(fpPosition);
  const bool state = Options.testFlag(fpState);
  if (!position && !state) return;
  const std::string section = Section();
  WindowPlacement placement = CurrentPlacement(*form_);
  if (position) {
    placement.Flags = store.ReadInteger(section, "Flags", placement.Flags);
    const QRect current = placement.Normal;
    const std::string normPos = store.ReadString(section, "NormPos", "");
    const auto words = Words(normPos);
    const int left = Word(words, 0, current.left());
    const int top = Word(words, 1, current.top());
    int right = Word(words, 2, current.left() + current.width());
    int bottom = Word(words, 3, current.top() + current.height());
    if (IsFixedSize(*form_) && InScreenRange({left, top})) {  // only the position is taken
      right = left + current.width();
      bottom = top + current.height();
    }
    // Setting an unchanged rectangle would still pin the window, which the
    // window manager would otherwise place on a first run.
    if (right > left && InScreenRange({left, top, right, bottom})) {
      const QRect stored(left, top, right - left, bottom - top);
      if (stored != current) form_->setGeometry(stored);
    }
  }
  if (state) form_->setWindowState(StateOfShowCmd(store.ReadInteger(section, "ShowCmd", 0), placement.Flags));
  form_->update();
}

void TFormPlacementReg::RestoreActiveControl(const platform::RegistryStore& store) {
  const std::string name = store.ReadString(Section(), "ActiveControl", "");
  if (name.empty()) return;  // an empty name would match any unnamed widget
  QWidget* control = form_->findChild<QWidget*>(desktop::ToQString(name));
  if (control && !control->isWindow() && control->isEnabled() && control->isVisibleTo(form_) &&
      control->focusPolicy() != Qt::NoFocus)
    control->setFocus();
}

bool TFormPlacementReg::eventFilter(QObject* watched, QEvent* event) {
  if (watched != form_) return false;
  if (event->type() == QEvent::Show && !event->spontaneous()) {
    if (Active) FromEvent(&TFormPlacementReg::RestorePlacement);
    return false;  // the form's own show handling follows
  }
  if (event->type() == QEvent::Close && !qobject_cast<QDialog*>(form_)) {
    CloseQuery(*static_cast<QCloseEvent*>(event));
    return true;
  }
  return false;
}

// The form answers the close first; the event is then delivered, so the
// filter reports it handled.
void TFormPlacementReg::CloseQuery(QCloseEvent& event) {
  static_cast<QObject*>(form_.data())->event(&event);
  if (event.isAccepted() && Active && form_) FromEvent(&TFormPlacementReg::SavePlacement);
}

void TFormPlacementReg::FromEvent(void (TFormPlacementReg::*action)()) {
  try {
    (this->*action)();
  } catch (const std::exception& error) {
    if (OnError) OnError(*this, FromQString(ExceptionText(error)));
  }
}

}  // namespace desktop
