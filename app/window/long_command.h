// The frame of a long command of the main window (a check pass, a delete, the
// configuration dialog, saving or viewing an attached file): the check timer,
// the program's idle flag, is off for the command's whole run, and on every way
// out, an exception included, it runs again and the window shows its state.
//
// Begin: the check timer stops, then the clean-up timer, the busy cursor,
// `started`, the tool buttons and the message view, the busy globe; the end
// goes back in the opposite order: `ending`, the globe, the cursor, the check
// timer, the clean-up timer, `resumed`, the tool buttons and the view. Each
// command takes only the parts it names.
#pragma once

#include <optional>

#include "app/window/main_form.h"
#include "desktop/busy_cursor.h"

namespace app {

class TMainForm::LongCommand {
 public:
  using Step = void (TMainForm::*)();

  struct Parts {
    bool fileDeleteTimer = false;  // the clean-up timer stops too
    bool busyCursor = false;
    bool refresh = false;  // UpdateToolButtons and ShowCurrentMessage at both ends
    bool globe = false;
    Step started = nullptr;
    Step ending = nullptr;
    Step resumed = nullptr;
  };

  LongCommand(TMainForm& form, Parts parts);
  LongCommand(const LongCommand&) = delete;
  LongCommand& operator=(const LongCommand&) = delete;
  // Raises what the end raises, as a finally block would; while the command
  // is already ending by an exception, that goes to the standard error box.
  ~LongCommand() noexcept(false);

 private:
  void Begin();
  void End();
  void Call(Step step);
  void Refresh();

  TMainForm& form_;
  Parts parts_;
  std::optional<desktop::BusyScope> busy_;
  int exceptionsAtStart_;
};

}  // namespace app
