// What the main window shows a pass or a delete with, handed to the reports
// that follow the session: the status line, an error text, the pause that
// keeps a text readable, and the status bar's single text or its panels.
#pragma once

#include <QString>
#include <functional>

namespace app {

struct PassDisplay {
  std::function<void(const QString& text)> SetStatus;
  // The status line only; the tray tip stays.
  std::function<void(const QString& text)> ShowErrorText;
  std::function<void(int milliseconds)> Wait;
  std::function<void(bool simple)> SetSimplePanel;
};

}  // namespace app
