#include "app/attachments/attachment_commands.h"

#include <QCoreApplication>
#include <algorithm>
#include <system_error>
#include <utility>

#include "platform/fd_output_stream.h"
#include "app/attachments/file_types.h"
#include "app/attachments/runnable_files.h"
#include "platform/temp_view_file.h"
#include "desktop/busy_cursor.h"
#include "desktop/qt_text.h"
#include "platform/cp1251.h"

namespace app {

namespace {

// The view file's name is ours; an attached file only lends it a short extension,
// with which the desktop picks the viewer.
constexpr std::size_t kMaxViewExtension = 16;

std::string ViewExtension(const mail::TAttachedFile& file) {
  const std::string extension = mail::FileExtensionOf(mail::SafeFileNameOf(file.FileName));
  return extension.size() <= kMaxViewExtension ? text::Cp1251ToUtf8(extension) : std::string();
}

void WriteViewFile(const mail::TAttachedFile& file, const platform::NewViewFile& created) {
  platform::FdOutputStream stream(created.Descriptor);
  try {
    file.SaveToStream(stream);
  } catch (const std::ios_base::failure&) {
    // The stream's own message does not say why; closing raises with the system's reason.
  }
  stream.CloseOrRaise(created.View);
}

void RemoveBoth(const platform::NewViewFile& created) {
  std::error_code ignored;
  std::filesystem::remove(created.View, ignored);
  std::filesystem::remove(created.Placeholder, ignored);
}

}  // namespace

AttachmentCommands::AttachmentCommands(AttachmentServices services, desktop::MessageBoxes* boxes,
                                       const platform::MimeDatabase* types)
    : services_(std::move(services)), boxes_(boxes), types_(types) {}

void AttachmentCommands::Save(const mail::TAttachedFile& file, QWidget* parent) {
  const auto chosen = services_.AskSavePath(parent, desktop::ToQString(mail::SafeFileNameOf(file.FileName)));
  if (!chosen) return;
  desktop::BusyScope busy;
  file.SaveToFile(*chosen);
}

// A file the opener would start rather than show goes on only after a warning.
bool AttachmentCommands::MayOpen(const mail::TAttachedFile& file, QWidget* parent) const {
  if (!RunsWhenOpened(file, types_)) return true;
  const QString question =
      QStringLiteral("Файл \"%1\" может оказаться программой: открыть его значит запустить её.\rОткрыть файл?")
          .arg(desktop::ToQString(mail::SafeFileNameOf(file.FileName)));
  return boxes_ && boxes_->Warn(parent, question);
}

void AttachmentCommands::View(const mail::TAttachedFile& file, QWidget* parent) {
  if (!MayOpen(file, parent)) return;
  desktop::BusyScope busy;
  const platform::NewViewFile created = platform::CreateViewFile(services_.TempFolder(), ViewExtension(file));
  try {
    WriteViewFile(file, created);
  } catch (...) {
    // A copy that was never complete is of no use to anyone; it must not linger.
    RemoveBoth(created);
    throw;
  }
  QCoreApplication::processEvents();
  if (!services_.OpenWithDesktop(created.View)) {
    RemoveBoth(created);
    return;
  }
  viewFiles_.push_back(std::make_unique<TViewFile>(created.View));
}

void AttachmentCommands::CleanUp() {
  // Each deletion starts the scan again from the first file.
  const auto deleted = [](const std::unique_ptr<TViewFile>& file) { return file->TryDelete(); };
  for (auto found = std::find_if(viewFiles_.begin(), viewFiles_.end(), deleted); found != viewFiles_.end();
       found = std::find_if(viewFiles_.begin(), viewFiles_.end(), deleted))
    viewFiles_.erase(found);
  viewFiles_.shrink_to_fit();
}

QString AttachmentHint(const mail::TAttachedFile& file) {
  const QString caption = desktop::ToQString(file.FileName);
  QString type = FileTypeDescription(caption);
  if (type.isEmpty()) type = QStringLiteral("Неизвестный");
  return QStringLiteral("Файл:[%1]  Тип:[%2]  Размер:[%3 байт]").arg(caption, type, QString::number(file.Size()));
}

}  // namespace app
