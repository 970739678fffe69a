#include "config/autostart_entry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "platform/ini_registry_store.h"

namespace config {

namespace {

// Exec names the program as installed, so the entry survives moving the
// build tree; the desktop's session manager finds it on PATH.
constexpr char kEntry[] =
    "[Desktop Entry]\n"
    "Type=Application\n"
    "Name=Tessaro\n"
    "Comment=POP3 mail monitor\n"
    "Comment[ru]=Проверка почты POP3\n"
    "Exec=tessaro\n"
    "Icon=tessaro\n"
    "Terminal=false\n"
    "X-GNOME-Autostart-enabled=true\n";

bool WriteEntry(const QString& path) {
  if (!QDir().mkpath(QFileInfo(path).path())) return false;
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  file.write(kEntry, sizeof kEntry - 1);
  return file.commit();
}

}  // namespace

QString AutostartEntryPath() {
  return QFile::decodeName(platform::IniRegistryStore::DefaultBaseFolder().c_str()) +
         QStringLiteral("/autostart/tessaro.desktop");
}

bool AutostartEntryExists() { return QFileInfo::exists(AutostartEntryPath()); }

bool SetAutostartEntry(bool enabled) {
  const QString path = AutostartEntryPath();
  if (enabled) return WriteEntry(path);
  return !QFileInfo::exists(path) || QFile::remove(path);
}

}  // namespace config
