// What an error box says for an exception: the text of a text::Cp1251Error
// (the mail library's, the socket layer's, the settings store's) read as
// Windows-1251, every other exception's, the standard library's and Qt's
// included, as the system's UTF-8.
#pragma once

#include <QString>

#include <exception>

namespace desktop {

QString ExceptionText(const std::exception& error);

}  // namespace desktop
