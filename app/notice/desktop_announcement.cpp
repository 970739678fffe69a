// New mail in the desktop's own notification, beside or instead of the
// notice window: the same two counts with the same texts.
#include <utility>

#include "app/window/main_form.h"
#include "desktop/qor_status_bar.h"

namespace app {

void TMainForm::PostDesktopNotification(long long newCount) {
  if (!desktopNotification_.Available()) {
    if (!std::exchange(notificationServiceMissingSaid_, true))
      SetStatus(qorStatusBar1_->SimpleText() + QStringLiteral(". Нет службы системных уведомлений"));
    return;
  }
  desktopNotification_.Show(QStringLiteral("Tessaro (POP3)"),
                            QStringLiteral("Получено новых писем: %1\nВсего писем в почтовом ящике: %2")
                                .arg(newCount)
                                .arg(kelMsgList2_.Count()));
}

}  // namespace app
