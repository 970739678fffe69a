#include "config/font_conversion.h"

#include <gtest/gtest.h>

#include <QGuiApplication>

#include "platform/cp1251.h"

namespace {

using config::TFontSettings;
using text::operator""_cp1251;

QGuiApplication& App() {
  static int argc = 1;
  static char name[] = "font_conversion_test";
  static char* argv[] = {name, nullptr};
  static QGuiApplication app(argc, argv);
  return app;
}

TEST(FontConversion, StoredFontBecomesAQtFontAndBack) {
  App();
  struct Case {
    const char* name;
    int style;
    bool bold, italic, underline, strikeOut;
  } cases[] = {
      {"plain", 0, false, false, false, false},
      {"bold", config::kFontBold, true, false, false, false},
      {"italic", config::kFontItalic, false, true, false, false},
      {"underline", config::kFontUnderline, false, false, true, false},
      {"strike-out", config::kFontStrikeOut, false, false, false, true},
      {"all four", 15, true, true, true, true},
  };
  for (const auto& c : cases) {
    const TFontSettings stored{std::string("Шрифт"_cp1251), 204, 11, 0x00FF00, c.style};
    const QFont font = config::ToQFont(stored);
    EXPECT_EQ(font.family(), QString::fromUtf8("Шрифт")) << c.name;
    EXPECT_EQ(font.pointSize(), 11) << c.name;
    EXPECT_EQ(font.bold(), c.bold) << c.name;
    EXPECT_EQ(font.italic(), c.italic) << c.name;
    EXPECT_EQ(font.underline(), c.underline) << c.name;
    EXPECT_EQ(font.strikeOut(), c.strikeOut) << c.name;
    EXPECT_EQ(config::FromQFont(font, stored), stored) << c.name << ": charset and colour are kept";
  }
}

TEST(FontConversion, ChosenFontReplacesNameSizeAndStyleOnly) {
  App();
  QFont chosen(QStringLiteral("DejaVu Sans"));
  chosen.setPointSize(14);
  chosen.setItalic(true);
  const TFontSettings stored{"MS Sans Serif", 204, 8, -16777208, config::kFontBold};
  EXPECT_EQ(config::FromQFont(chosen, stored), (TFontSettings{"DejaVu Sans", 204, 14, -16777208, config::kFontItalic}));
}

TEST(FontConversion, StoredColoursBecomeQtColours) {
  App();
  QPalette palette;
  palette.setColor(QPalette::Text, QColor(1, 2, 3));
  palette.setColor(QPalette::Highlight, QColor(4, 5, 6));
  struct Case {
    const char* name;
    int color;
    QColor expected;
  } cases[] = {
      {"black", 0, QColor(0, 0, 0)},
      {"red is the low byte", 0x0000FF, QColor(255, 0, 0)},
      {"blue is the third byte", 0xFF0000, QColor(0, 0, 255)},
      {"mixed", 0x123456, QColor(0x56, 0x34, 0x12)},
      {"system window text", -16777208, QColor(1, 2, 3)},
      {"system highlight", -16777203, QColor(4, 5, 6)},
      {"no colour", 0x1FFFFFFF, QColor(1, 2, 3)},
  };
  for (const auto& c : cases) EXPECT_EQ(config::ToQColor(c.color, palette), c.expected) << c.name;
}

}  // namespace
