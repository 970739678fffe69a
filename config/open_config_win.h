// The main window's side of the configuration dialog: fill it from the
// settings, show it modally, and take the options back only when it closes
// with OK. The dialog itself replaces the account list on OK.
#pragma once

#include <QWidget>

#include "config/config_win.h"
#include "config/main_settings.h"
#include "config/server.h"
#include "desktop/message_boxes.h"
#include "platform/ini_registry_store.h"
#include "platform/keyring.h"
#include "platform/registry_store.h"

namespace config {

// The picker from Interval (the check timer's interval), the check boxes from
// the settings of the same names ("Не загружать повторно полученные письма"
// is CacheMessages), and "Не отображать это окно при следующем
// запуске" from the negation of ShowConfig.
void FillConfigWin(TConfigWin& win, const TMainSettings& settings);

// The reverse of FillConfigWin; only Interval, CacheMessages, ShowMain,
// ShowDialog, ShowSound, ShowNotify, DeleteConf and ShowConfig change.
void ReadConfigWin(const TConfigWin& win, TMainSettings& settings);

// Creates the dialog over `accounts`, fills it, shows it modally and destroys
// it. True when it closed with OK: `accounts` then holds the edited list and
// `settings` the chosen options, and the caller applies Interval to its
// timer, stores the settings and checks at once. False (Cancel or the close
// box): nothing changed. With `keyring`, OK has moved the passwords into it.
bool OpenConfigWin(QWidget* owner, TAccountList& accounts, TMainSettings& settings,
                   desktop::MessageBoxes& messageBoxes,
                   platform::RegistryOpener registryOpener = platform::IniRegistryOpener(),
                   platform::Keyring* keyring = nullptr);

}  // namespace config
