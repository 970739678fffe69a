#include "config/font_conversion.h"

#include <QString>

#include <cstdint>
#include <string_view>

#include "platform/cp1251.h"

namespace config {

namespace {

// System colour indices and the palette roles that play their part; the
// rest, window text among them, take the text colour.
struct SystemColor {
  int index;
  QPalette::ColorRole role;
};
constexpr SystemColor kSystemColors[] = {
    {4, QPalette::Window},      // menu
    {5, QPalette::Base},        // window background
    {7, QPalette::WindowText},  // menu text
    {13, QPalette::Highlight},
    {14, QPalette::HighlightedText},
    {15, QPalette::Button},           // button face
    {16, QPalette::Dark},             // button shadow
    {17, QPalette::PlaceholderText},  // grey text
    {18, QPalette::ButtonText},
    {20, QPalette::Light},        // button highlight
    {21, QPalette::Shadow},       // dark shadow
    {22, QPalette::Midlight},     // light
    {23, QPalette::ToolTipText},  // info text
    {24, QPalette::ToolTipBase},  // info background
    {26, QPalette::Link},         // hot light
};

QPalette::ColorRole RoleOfSystemColor(int index) {
  for (const SystemColor& color : kSystemColors)
    if (color.index == index) return color.role;
  return QPalette::Text;
}

}  // namespace

QFont ToQFont(const TFontSettings& font) {
  QFont result(QString::fromStdString(text::Cp1251ToUtf8(font.Name)));
  if (font.Size > 0) result.setPointSize(font.Size);
  result.setBold(font.Style & kFontBold);
  result.setItalic(font.Style & kFontItalic);
  result.setUnderline(font.Style & kFontUnderline);
  result.setStrikeOut(font.Style & kFontStrikeOut);
  return result;
}

TFontSettings FromQFont(const QFont& font, const TFontSettings& stored) {
  TFontSettings result = stored;
  const QByteArray family = font.family().toUtf8();
  result.Name = text::Utf8ToCp1251(std::string_view(family.constData(), static_cast<std::size_t>(family.size())));
  if (font.pointSize() > 0) result.Size = font.pointSize();
  result.Style = (font.bold() ? kFontBold : 0) | (font.italic() ? kFontItalic : 0) |
                 (font.underline() ? kFontUnderline : 0) | (font.strikeOut() ? kFontStrikeOut : 0);
  return result;
}

QColor ToQColor(int color, const QPalette& palette) {
  const auto bits = static_cast<std::uint32_t>(color);
  if ((bits >> 24) == 0xFF) return palette.color(RoleOfSystemColor(static_cast<int>(bits & 0xFF)));
  if ((bits >> 24) != 0) return palette.color(QPalette::Text);
  return QColor(static_cast<int>(bits & 0xFF), static_cast<int>((bits >> 8) & 0xFF),
                static_cast<int>((bits >> 16) & 0xFF));
}

}  // namespace config
