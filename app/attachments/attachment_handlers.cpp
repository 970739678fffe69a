// The attachment list's commands. The list's items refer to attached files
// of messages that a check pass destroys, so every command acts only while
// the program is idle, and holds the idle flag while it runs.
#include "app/window/long_command.h"
#include "app/window/main_form.h"
#include "app/view/message_view.h"

namespace app {

void TMainForm::NSaveFileClick() {
  const mail::TAttachedFile* file = view_->SelectedFile();
  if (!Idle() || file == nullptr) return;
  const LongCommand command(*this, {});
  attachments_.Save(*file, this);
}

void TMainForm::NShowFileClick() {
  const mail::TAttachedFile* file = view_->SelectedFile();
  if (!Idle() || file == nullptr) return;
  const LongCommand command(*this, {.fileDeleteTimer = true, .busyCursor = true});
  attachments_.View(*file, this);
}

void TMainForm::TimerFileDeleteTimer() { attachments_.CleanUp(); }

}  // namespace app
