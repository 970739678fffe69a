// What the main window needs from the outside world, handed to it at
// construction so that a test can put its own in: the POP3 connection, the
// desktop's MIME database, message boxes, the blocking wait, the settings
// store, the seen-ids store, sound, attachment services, the configuration dialog and whether
// the desktop has a notification area.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "app/attachments/attachment_commands.h"
#include "app/notice/sound_player.h"
#include "config/main_settings.h"
#include "config/server.h"
#include "desktop/message_boxes.h"
#include "platform/keyring.h"
#include "platform/message_store.h"
#include "platform/mime_database.h"
#include "platform/registry_store.h"
#include "platform/seen_ids_store.h"
#include "platform/tcp_client.h"

class QWidget;

namespace app {

// OpenConfigWin's shape (config/open_config_win.h).
using ConfigDialogOpener =
    std::function<bool(QWidget* owner, config::TAccountList& accounts, config::TMainSettings& settings,
                       desktop::MessageBoxes& messageBoxes, platform::RegistryOpener registryOpener,
                       platform::Keyring* keyring)>;

struct MainFormServices {
  // The shared POP3 session's connection.
  std::unique_ptr<platform::TcpClient> TcpClient;
  // Which messages each mailbox has already announced, for servers that do not answer LAST.
  std::shared_ptr<platform::SeenIdsStore> SeenIds;
  // The messages kept between runs, while messages are kept between passes; may be null.
  std::shared_ptr<platform::MessageStore> Messages;
  // Content types of attached files; none gives every file the default type.
  std::unique_ptr<platform::MimeDatabase> MimeDatabase;
  std::shared_ptr<desktop::MessageBoxes> MessageBoxes;
  // Blocks the thread without serving events.
  std::function<void(std::chrono::milliseconds)> Sleep;
  // The monotonic clock of the servers' login delays and the wake check; none: the steady clock.
  std::function<std::chrono::steady_clock::time_point()> Now;
  // Opens the program's settings key.
  platform::RegistryOpener RegistryOpener;
  // Where account passwords are kept; null keeps them scrambled in the settings file.
  std::shared_ptr<platform::Keyring> Keyring;
  SoundPlayer::AudioOutputProbe HasAudioOutput;
  AttachmentServices Attachments;
  ConfigDialogOpener OpenConfigDialog;
  // Without a notification area a hidden window could never come back, so
  // the window is then minimised instead of hidden.
  std::function<bool()> TrayAvailable;
};

// The desktop's own: POSIX sockets, Qt's MIME database and message boxes,
// the INI settings store, the desktop's keyring, the seen ids under the user's state folder, the
// kept messages under the user's cache folder, the sound device, the tray.
MainFormServices DesktopServices();

}  // namespace app
