// Saving and viewing attached files, and the clean-up of the temporary copies
// that viewing leaves behind. The main window calls these only while idle and
// holds the idle flag for their duration.
#pragma once

#include <QString>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "desktop/message_boxes.h"
#include "mail/attached_files.h"
#include "platform/mime_database.h"

namespace app {

// One temporary file written for viewing; its ".tmp" placeholder goes with it.
class TViewFile {
 public:
  explicit TViewFile(std::filesystem::path path) : Path(std::move(path)) {}
  TViewFile(const TViewFile&) = delete;
  TViewFile& operator=(const TViewFile&) = delete;
  ~TViewFile() { TryDelete(); }

  // True when the file is gone (or was never there).
  bool TryDelete();

  const std::filesystem::path Path;
};

// What the commands need of the desktop, injectable for tests.
struct AttachmentServices {
  // The save dialog, preset with `proposed`; nothing when cancelled.
  std::function<std::optional<std::filesystem::path>(QWidget* parent, const QString& proposed)> AskSavePath;
  // Opens a file with the desktop's registered application; false when none could.
  std::function<bool(const std::filesystem::path& path)> OpenWithDesktop;
  // The system's temporary folder.
  std::function<std::filesystem::path()> TempFolder;
};

// The usual desktop services: QFileDialog, QDesktopServices::openUrl, QDir::tempPath().
AttachmentServices DesktopAttachmentServices();

class AttachmentCommands {
 public:
  // `boxes` asks before a file that would run is opened; without it such a
  // file is not opened. `types` tells such files by type (RunsWhenOpened).
  explicit AttachmentCommands(AttachmentServices services, desktop::MessageBoxes* boxes = nullptr,
                              const platform::MimeDatabase* types = nullptr);

  // NSaveFileClick's work; the dialog proposes the name as SafeFileNameOf makes it.
  // Raises what SaveToFile raises.
  void Save(const mail::TAttachedFile& file, QWidget* parent);
  // NShowFileClick's work: "msg" + unique part + the file's (safe, short) extension in the
  // temporary folder, with its empty ".tmp" placeholder; remembered for
  // clean-up when the desktop opened it, both deleted at once otherwise. A
  // file the opener would run is written and opened only after the user
  // said "OK" to a warning.
  void View(const mail::TAttachedFile& file, QWidget* parent = nullptr);
  // TimerFileDeleteTimer: deletes every remembered file that is no longer in use.
  void CleanUp();

  const std::vector<std::unique_ptr<TViewFile>>& ViewFiles() const { return viewFiles_; }

 private:
  bool MayOpen(const mail::TAttachedFile& file, QWidget* parent) const;

  AttachmentServices services_;
  desktop::MessageBoxes* boxes_;
  const platform::MimeDatabase* types_;
  std::vector<std::unique_ptr<TViewFile>> viewFiles_;
};

// The hint for the attachment under the pointer: "Файл:[%s]  Тип:[%s]  Размер:[%d байт]",
// the type being the desktop's description of the name's type or "Неизвестный".
QString AttachmentHint(const mail::TAttachedFile& file);

}  // namespace app
