// The view of the current message: which message it is, the buttons that
// move through the list, word wrap and the body font.
#include <QAction>
#include <QDialog>

#include "app/window/font_dialog.h"
#include "app/window/main_form.h"
#include "app/view/message_view.h"
#include "desktop/busy_cursor.h"
#include "desktop/qor_status_bar.h"

namespace app {

void TMainForm::UpdateToolButtons() {
  const bool idle = Idle();
  const int count = static_cast<int>(kelMsgList2_.Count());
  tbPred_->setEnabled(idle && CurrentIndex > 0);
  tbNext_->setEnabled(idle && CurrentIndex < count - 1);
  tbDelete_->setEnabled(idle && CurrentIndex >= 0);
  tbRefresh_->setEnabled(idle);
  tbConfig_->setEnabled(idle);
  tbFont_->setEnabled(idle);
  tbWordWrap_->setEnabled(idle);
}

void TMainForm::ShowCurrentMessage() {
  view_->ShowMessage(shownMessage_.Of(CurrentMessage()));
  if (shownMessage_.Missing())
    qorStatusBar1_->SetSimpleText(QStringLiteral("Текст письма и его файлы больше не хранятся на диске: "
                                                 "письмо будет получено заново при следующей проверке."));
}

const mail::TKelMsg* TMainForm::CurrentMessage() const {
  if (CurrentIndex < 0 || CurrentIndex >= static_cast<int>(kelMsgList2_.Count())) return nullptr;
  return &kelMsgList2_.Items(static_cast<std::size_t>(CurrentIndex));
}

void TMainForm::TBPredClick() {
  --CurrentIndex;
  UpdateToolButtons();
  ShowCurrentMessage();
}

void TMainForm::TBNextClick() {
  ++CurrentIndex;
  UpdateToolButtons();
  ShowCurrentMessage();
}

void TMainForm::TBWordWrapClick() {
  const desktop::BusyScope busy;
  view_->SetWordWrap(tbWordWrap_->isChecked());
}

void TMainForm::TBFontClick() {
  fontDialog1_->SetFont(view_->BodyFont());
  fontDialog1_->SetColor(view_->BodyColor());
  if (fontDialog1_->exec() != QDialog::Accepted) return;
  view_->SetBodyFont(fontDialog1_->Font());
  view_->SetBodyColor(fontDialog1_->Color());
}

// Applied at once; a later Cancel does not take it back.
void TMainForm::FontDialog1Apply() {
  view_->SetBodyFont(fontDialog1_->Font());
  view_->SetBodyColor(fontDialog1_->Color());
}

}  // namespace app
