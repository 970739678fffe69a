#include "platform/qt_mime_database.h"

#include <QByteArray>
#include <QMimeDatabase>
#include <QMimeType>
#include <QString>

#include <string_view>

#include "platform/cp1251.h"

namespace platform {

namespace {

QString FromCp1251(const std::string& text) {
  const std::string utf8 = text::Cp1251ToUtf8(text);
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string ToCp1251(const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  return text::Utf8ToCp1251(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

// Qt matches a whole file name, so a "/" would turn the extension into a path
// ("x./" is a directory to it); such text is no extension.
bool IsExtension(const std::string& extension) {
  return extension.size() > 1 && extension.front() == '.' &&
         extension.find_first_of(std::string_view("/\0", 2)) == std::string::npos;
}

}  // namespace

std::string QtMimeDatabase::ContentTypeOfExtension(const std::string& extension) const {
  if (!IsExtension(extension)) return {};
  // By name only: the file need not exist. "x" starts no literal pattern of the database.
  const QMimeType type = QMimeDatabase().mimeTypeForFile(QStringLiteral("x") + FromCp1251(extension),
                                                         QMimeDatabase::MatchExtension);
  // Qt answers application/octet-stream for a name it does not know.
  return type.isDefault() ? std::string() : ToCp1251(type.name());
}

std::string QtMimeDatabase::ExtensionOfContentType(const std::string& contentType) const {
  // The database's names are lower case and compared exactly.
  const QMimeType type = QMimeDatabase().mimeTypeForName(FromCp1251(contentType).toLower());
  const QString suffix = type.isValid() ? type.preferredSuffix() : QString();
  return suffix.isEmpty() ? std::string() : "." + ToCp1251(suffix);
}

std::vector<std::string> QtMimeDatabase::ContentTypesOfName(const std::string& fileName) const {
  std::vector<std::string> types;
  if (fileName.find_first_of(std::string_view("/\0", 2)) != std::string::npos) return types;
  for (const QMimeType& type : QMimeDatabase().mimeTypesForFileName(FromCp1251(fileName)))
    types.push_back(ToCp1251(type.name()));
  return types;
}

std::string QtMimeDatabase::ContentTypeOfData(std::string_view data) const {
  const QMimeType type =
      QMimeDatabase().mimeTypeForData(QByteArray(data.data(), static_cast<qsizetype>(data.size())));
  // Data it cannot place is application/octet-stream, text it cannot place text/plain: neither says more.
  return type.isDefault() || type.name() == QStringLiteral("text/plain") ? std::string() : ToCp1251(type.name());
}

bool QtMimeDatabase::Inherits(const std::string& type, const std::string& parent) const {
  const QMimeType known = QMimeDatabase().mimeTypeForName(FromCp1251(type).toLower());
  return known.isValid() ? known.inherits(FromCp1251(parent).toLower()) : type == parent;
}

}  // namespace platform
