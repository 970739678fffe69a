// The main window's settings, held apart from its widgets, and their reader
// and writer over the program's registry key: sections "TMainForm" (beside the
// window's placement values), "Servers" and "Font". The main window calls
// them from its placement component's restore and save events, while the key
// is open.
#pragma once

#include <string>

#include "config/server.h"
#include "platform/keyring.h"
#include "platform/registry_store.h"

namespace config {

// Style bits of TFontSettings::Style.
enum : int { kFontBold = 1, kFontItalic = 2, kFontUnderline = 4, kFontStrikeOut = 8 };

// The message body's font as it is stored. Charset has no meaning to Qt but
// is kept so that it comes back as it was.
struct TFontSettings {
  bool operator==(const TFontSettings&) const = default;

  std::string Name = "MS Sans Serif";
  int Charset = 1;  // the default character set
  int Size = 8;     // points
  int Color = 0;    // 0x00BBGGRR, or a system colour: 0xFF000000 | its index (negative)
  int Style = 0;    // kFontBold | kFontItalic | kFontUnderline | kFontStrikeOut
};

// Fresh-start values as initialisers. The check interval, the font, word wrap
// and the attachment list's height are read with the values held here as
// their defaults, so the main window puts its current state in before reading.
struct TMainSettings {
  bool ShowMain = false;   // on new mail, show and raise the main window
  bool ShowDialog = true;  // on new mail, show the notice window
  bool ShowSound = true;   // on new mail, play the sound
  bool ShowNotify = false;  // on new mail, post the desktop's own notification
  bool DeleteConf = true;  // confirm before deleting a message
  bool ShowConfig = true;  // at start-up with no account, open the configuration dialog
  int Interval = 600000;   // the check timer's interval, milliseconds
  bool CacheMessages = false;  // keep messages between passes, known by their unique ids
  TFontSettings Font;
  bool WordWrap = false;
  int FilesViewHeight = 73;  // pixels
  TAccountList AccountList;
  bool Loaded = false;  // set by the first RestoreMainSettings
};

// FormPlacementReg1RestorePlacement: the first call reads every setting in a
// fixed order, moves the single account of the older layout to the front of
// AccountList (writing "Servers" at once, then deleting the old values), and
// makes "WorkDir" the process's working directory (a folder that is gone is
// ignored). Accounts are read until the first one without a host or user
// name. An account stored with "PasswdInKeyring" takes its password from
// `keyring` (keyring_passwords.h). Later calls, which every show of the main
// window brings, do nothing.
void RestoreMainSettings(platform::RegistryStore& store, TMainSettings& settings,
                         platform::Keyring* keyring = nullptr);

// FormPlacementReg1SavePlacement: writes every setting; "WorkDir" is the
// process's working directory. A password the keyring holds is written as
// an empty "Passwd" with "PasswdInKeyring" 1; any other one scrambled, as
// before. Entries of a longer list saved earlier stay behind "Count" and are
// never read.
void SaveMainSettings(platform::RegistryStore& store, const TMainSettings& settings);

}  // namespace config
