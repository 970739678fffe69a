#include "app/attachments/file_types.h"

#include <QApplication>
#include <QMimeDatabase>
#include <QMimeType>
#include <QStyle>

namespace app {

namespace {

QMimeType TypeOfName(const QString& fileName) {
  return QMimeDatabase().mimeTypeForFile(fileName, QMimeDatabase::MatchExtension);
}

}  // namespace

QIcon FileTypeIcon(const QString& fileName) {
  const QMimeType type = TypeOfName(fileName);
  const QIcon generic = QApplication::style()->standardIcon(QStyle::SP_FileIcon);
  return QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName(), generic));
}

QString FileTypeDescription(const QString& fileName) {
  // Names that match no pattern come back as the default type, which describes nothing.
  const QMimeType type = TypeOfName(fileName);
  return type.isDefault() ? QString() : type.comment();
}

}  // namespace app
