// TFormPlacementReg keeps a top-level widget's placement (position, size,
// minimised or maximised state, optionally the focused control) per user in
// the registry store, and gives the form one moment, with the key open in
// RegIniFile, to store and reload its own settings (OnSavePlacement,
// OnRestorePlacement).
//
// It attaches itself to the form through an event filter, so the form's own
// handlers stay as they are:
//   show   (not the spontaneous one the window system sends after mapping):
//          RestorePlacement when Active, then the form's own showEvent;
//   close  the form's own closeEvent first, which may refuse; then, when the
//          close goes on and Active, SavePlacement. A QDialog swallows the
//          close event when accept() or reject() ends it, so a dialog saves
//          on finished() instead, which every way of closing it emits;
//   destroy the component's destructor: SavePlacement when Active and nothing
//          was saved since the last restore. Declare the component as a
//          member after everything its events read: members are destroyed in
//          reverse order, so those still stand when it saves. The form's own
//          destructor body has run by then and must not take them away.
// Filters installed on the form before this one do not see its close events.
#pragma once

#include <QFlags>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <string>

#include "platform/ini_registry_store.h"
#include "platform/registry_store.h"

class QCloseEvent;

namespace desktop {

enum TPlacementOption { fpState = 0x1, fpPosition = 0x2, fpActiveControl = 0x4 };
Q_DECLARE_FLAGS(TPlacementOptions, TPlacementOption)

class TFormPlacementReg;
using TPlacementEvent = std::function<void(TFormPlacementReg& sender)>;
// An error text (Windows-1251) from a save or restore that the form's events started.
using TPlacementErrorEvent = std::function<void(TFormPlacementReg& sender, const std::string& message)>;

class TFormPlacementReg : public QObject {
  Q_OBJECT

 public:
  // `opener` opens the key path; by default an INI file below ${XDG_CONFIG_HOME:-~/.config}.
  explicit TFormPlacementReg(QWidget& form, platform::RegistryOpener opener = platform::IniRegistryOpener());
  TFormPlacementReg(const TFormPlacementReg&) = delete;
  TFormPlacementReg& operator=(const TFormPlacementReg&) = delete;
  ~TFormPlacementReg() override;

  // Published properties. Texts are Windows-1251.
  bool Active = true;       // false: the form's events neither save nor restore
  std::string IniFileName;  // empty: "Software\" + the executable's base name
  std::string IniSection;   // empty: the form's class name without its namespace (forms need Q_OBJECT)
  // What is restored; every save writes all four placement values.
  TPlacementOptions Options = {fpState, fpPosition};
  TPlacementEvent OnSavePlacement;
  TPlacementEvent OnRestorePlacement;
  // Saves and restores run from the form's events cannot raise into Qt's
  // event dispatch; their errors come here instead (dropped when empty, and
  // always during destruction).
  TPlacementErrorEvent OnError;
  // For the application's main form: true while the application is minimised
  // (the main window hidden to the tray); "ShowCmd" is then stored as 2.
  std::function<bool()> ApplicationMinimized;

  // The open key during SavePlacement and RestorePlacement (so during their
  // events); null otherwise. During SavePlacement it holds a batch: what is
  // written reads back at once and is stored when the save ends.
  platform::RegistryStore* RegIniFile() const { return regIniFile_; }
  bool Restored() const { return restored_; }
  bool Saved() const { return saved_; }
  std::string KeyPath() const;
  std::string Section() const;

  // Both raise platform::RegistryError when a value cannot be stored; the key
  // is closed first. A save stores all its values, the form's own included,
  // together at its end, or (when they cannot be stored, or OnSavePlacement
  // raises) none of them.
  void SavePlacement();
  void RestorePlacement();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ReadPlacement(const platform::RegistryStore& store);
  void RestoreActiveControl(const platform::RegistryStore& store);
  void CloseQuery(QCloseEvent& event);
  void FromEvent(void (TFormPlacementReg::*action)());

  QPointer<QWidget> form_;
  platform::RegistryOpener opener_;
  platform::RegistryStore* regIniFile_ = nullptr;
  bool restored_ = false;
  bool saved_ = false;
};

}  // namespace desktop

Q_DECLARE_OPERATORS_FOR_FLAGS(desktop::TPlacementOptions)
