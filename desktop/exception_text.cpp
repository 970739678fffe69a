#include "desktop/exception_text.h"

#include "desktop/qt_text.h"
#include "platform/cp1251_error.h"

namespace desktop {

QString ExceptionText(const std::exception& error) {
  if (dynamic_cast<const text::Cp1251Error*>(&error)) return ToQString(error.what());
  return QString::fromUtf8(error.what());
}

}  // namespace desktop
