#include "desktop/busy_cursor.h"

#include <gtest/gtest.h>

#include <QCursor>
#include <QGuiApplication>
#include <stdexcept>

#include "tests/support/qt_environment.h"

namespace {

TEST(BusyCursor, WaitCursorShowsWhileAnyBusyScopeIsOpen) {
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  try {
    desktop::BusyScope outer;
    {
      desktop::BusyScope inner;
      EXPECT_EQ(desktop::BusyDepth(), 2);
    }
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    throw std::runtime_error("leave by an exception");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(desktop::BusyDepth(), 0);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  desktop::EndBusy();  // an unmatched end is ignored
  EXPECT_EQ(desktop::BusyDepth(), 0);
}

}  // namespace
