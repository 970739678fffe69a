#include "desktop/qt_text.h"

#include <gtest/gtest.h>

namespace {

TEST(QtText, EveryByteRoundTripsThroughQString) {
  std::string all;
  for (int byte = 1; byte < 256; ++byte) all += static_cast<char>(byte);
  const QString shown = desktop::ToQString(all);
  EXPECT_EQ(shown.size(), 255);
  EXPECT_EQ(shown.at(0xC0 - 1), QChar(0x0410));  // А
  EXPECT_EQ(shown.at(0xB9 - 1), QChar(0x2116));  // №
  EXPECT_EQ(desktop::FromQString(shown), all);
}

}  // namespace
