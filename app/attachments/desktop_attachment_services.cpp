#include "app/attachments/attachment_commands.h"
#include "platform/private_temp_folder.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QUrl>

namespace app {

namespace {

std::filesystem::path ToPath(const QString& path) { return std::filesystem::path(QFile::encodeName(path).toStdString()); }

QString FromPath(const std::filesystem::path& path) { return QFile::decodeName(QByteArray::fromStdString(path.native())); }

std::optional<std::filesystem::path> AskSavePath(QWidget* parent, const QString& proposed) {
  // The dialog asks before overwriting and wants an existing folder by itself.
  const QString chosen = QFileDialog::getSaveFileName(parent, QString(), QDir::current().filePath(proposed));
  if (chosen.isEmpty()) return std::nullopt;
  // The next save starts where this one went; the folder is also kept across runs.
  QDir::setCurrent(QFileInfo(chosen).absolutePath());
  return ToPath(chosen);
}

bool OpenWithDesktop(const std::filesystem::path& path) {
  return QDesktopServices::openUrl(QUrl::fromLocalFile(FromPath(path)));
}

std::filesystem::path TempFolder() { return platform::PrivateTempFolder(ToPath(QDir::tempPath())); }

}  // namespace

AttachmentServices DesktopAttachmentServices() { return {AskSavePath, OpenWithDesktop, TempFolder}; }

}  // namespace app
