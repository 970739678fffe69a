// What the desktop knows about a file type, looked up by the file's name
// alone: the file need not exist.
#pragma once

#include <QIcon>
#include <QString>

namespace app {

// The type's icon from the icon theme; a name of unknown type still gets the
// generic file icon, never none.
QIcon FileTypeIcon(const QString& fileName);

// The desktop's description of the type; empty when the name's type is unknown.
QString FileTypeDescription(const QString& fileName);

}  // namespace app
