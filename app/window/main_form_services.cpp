#include "app/window/main_form_services.h"

#include <QSystemTrayIcon>
#include <thread>

#include "config/open_config_win.h"
#include "platform/ini_registry_store.h"
#include "platform/posix_tcp_client.h"
#include "platform/qt_keyring.h"
#include "platform/qt_mime_database.h"

namespace app {

MainFormServices DesktopServices() {
  MainFormServices services;
  services.TcpClient = std::make_unique<platform::PosixTcpClient>();
  services.MimeDatabase = std::make_unique<platform::QtMimeDatabase>();
  services.MessageBoxes = std::make_shared<desktop::QtMessageBoxes>();
  services.Sleep = [](std::chrono::milliseconds duration) { std::this_thread::sleep_for(duration); };
  services.RegistryOpener = platform::IniRegistryOpener();
  services.Keyring = std::make_shared<platform::QtKeyring>();
  services.SeenIds = std::make_shared<platform::FileSeenIdsStore>(platform::FileSeenIdsStore::DefaultFolder());
  services.Messages = std::make_shared<platform::FileMessageStore>(platform::FileMessageStore::DefaultFolder());
  services.HasAudioOutput = HasAudioOutput;
  services.Attachments = DesktopAttachmentServices();
  services.OpenConfigDialog = config::OpenConfigWin;
  services.TrayAvailable = [] { return QSystemTrayIcon::isSystemTrayAvailable(); };
  return services;
}

}  // namespace app
