// The stored body font to and from Qt's font and colour.
#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>

#include "config/main_settings.h"

namespace config {

// Name, size (when positive) and the four style bits.
QFont ToQFont(const TFontSettings& font);

// `font`'s name, point size (when it has one) and style bits; Charset and
// Color stay as `stored` holds them, since Qt's font carries neither.
TFontSettings FromQFont(const QFont& font, const TFontSettings& stored);

// A stored colour: 0x00BBGGRR, or a system colour (0xFF000000 | its index)
// taken from `palette`; anything else is the palette's text colour.
QColor ToQColor(int color, const QPalette& palette);

}  // namespace config
