// What the standard error box says for an exception.
#pragma once

#include <QString>
#include <exception>

namespace app {

// The mail library, the socket layer and the settings store raise
// Windows-1251 texts; everything else speaks the system's UTF-8.
QString ExceptionText(const std::exception& error);

}  // namespace app
