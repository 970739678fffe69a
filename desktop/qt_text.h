// Windows-1251 text of the mail library and the settings to and from the
// QString that widgets hold. Lossless for every byte 1 to 255.
#pragma once

#include <QString>
#include <string>
#include <string_view>

#include "platform/cp1251.h"

namespace desktop {

inline QString ToQString(std::string_view cp1251) { return QString::fromStdString(text::Cp1251ToUtf8(cp1251)); }

inline std::string FromQString(const QString& text) { return text::Utf8ToCp1251(text.toStdString()); }

}  // namespace desktop
