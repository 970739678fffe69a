#include "app/window/long_command.h"

#include <exception>

#include "app/window/busy_globe.h"

namespace app {

TMainForm::LongCommand::LongCommand(TMainForm& form, Parts parts)
    : form_(form), parts_(parts), exceptionsAtStart_(std::uncaught_exceptions()) {
  form_.timer1_.SetEnabled(false);
  if (parts_.fileDeleteTimer) form_.timerFileDelete_.SetEnabled(false);
  if (parts_.busyCursor) busy_.emplace();
  try {
    Begin();
  } catch (...) {
    End();
    throw;
  }
}

TMainForm::LongCommand::~LongCommand() noexcept(false) {
  if (std::uncaught_exceptions() == exceptionsAtStart_) {
    End();
    return;
  }
  // A second exception cannot leave while the command's own is on its way;
  // it goes to the standard error box instead of ending the program.
  try {
    End();
  } catch (const std::exception& error) {
    form_.HandleException(error);
  }
}

void TMainForm::LongCommand::Begin() {
  Call(parts_.started);
  Refresh();
  if (parts_.globe) form_.globeAnimate_->Play();
}

void TMainForm::LongCommand::End() {
  Call(parts_.ending);
  if (parts_.globe) form_.globeAnimate_->Stop();
  busy_.reset();
  form_.timer1_.SetEnabled(true);
  if (parts_.fileDeleteTimer) form_.timerFileDelete_.SetEnabled(true);
  Call(parts_.resumed);
  Refresh();
}

void TMainForm::LongCommand::Call(Step step) {
  if (step) (form_.*step)();
}

void TMainForm::LongCommand::Refresh() {
  if (!parts_.refresh) return;
  form_.UpdateToolButtons();
  form_.ShowCurrentMessage();
}

}  // namespace app
