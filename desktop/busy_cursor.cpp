#include "desktop/busy_cursor.h"

#include <QCursor>
#include <QGuiApplication>

namespace desktop {

namespace {

int depth = 0;

}  // namespace

void BeginBusy() {
  if (depth++ == 0) QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

void EndBusy() {
  if (depth == 0) return;
  if (--depth == 0) QGuiApplication::restoreOverrideCursor();
}

int BusyDepth() { return depth; }

}  // namespace desktop
