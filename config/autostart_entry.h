// Starting Tessaro at login: an XDG autostart entry,
// ${XDG_CONFIG_HOME:-~/.config}/autostart/tessaro.desktop, that starts the
// installed program. Its presence is the setting; there is no other record.
#pragma once

#include <QString>

namespace config {

QString AutostartEntryPath();

bool AutostartEntryExists();

// Writes the entry (creating its folder) or removes it. False when the file
// system refused; an entry that is already as asked counts as success.
bool SetAutostartEntry(bool enabled);

}  // namespace config
