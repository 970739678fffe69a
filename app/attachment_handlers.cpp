// The attachment list's commands. The list's items refer to attached files
// of messages that a check pass destroys, so every command acts only while
// the program is idle, and holds the idle flag while it runs.
#include "app/main_form.h"
#include "app/message_view.h"
#include "app/try_finally.h"
#include "desktop/busy_cursor.h"

namespace app {

void TMainForm::NSaveFileClick() {
  const mail::TAttachedFile* file = view_->SelectedFile();
  if (!Idle() || file == nullptr) return;
  timer1_.SetEnabled(false);
  TryFinally([&] { attachments_.Save(*file, this); }, [&] { timer1_.SetEnabled(true); });
}

void TMainForm::NShowFileClick() {
  const mail::TAttachedFile* file = view_->SelectedFile();
  if (!Idle() || file == nullptr) return;
  timer1_.SetEnabled(false);
  timerFileDelete_.SetEnabled(false);
  desktop::BeginBusy();
  TryFinally([&] { attachments_.View(*file); },
             [&] {
               desktop::EndBusy();
               timer1_.SetEnabled(true);
               timerFileDelete_.SetEnabled(true);
             });
}

void TMainForm::TimerFileDeleteTimer() { attachments_.CleanUp(); }

}  // namespace app
