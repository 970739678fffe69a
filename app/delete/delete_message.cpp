// Deleting the current message on the server it came from. Message numbers
// change whenever mail is removed or arrives, so the message is looked for
// again by the header block the check pass stamped on it.
#include <algorithm>

#include "app/pass/login_report.h"
#include "app/window/long_command.h"
#include "app/window/main_form.h"
#include "app/window/try_finally.h"
#include "config/account_session.h"
#include "mail/mailbox_pass.h"

namespace app {

namespace {

// The account the message came from, as it is now (its protection, port, pin
// and password may have changed since), found by the identity the pass
// stamped on the message; null when that account is gone.
const config::TServer* AccountOf(const config::TAccountList& accounts, const mail::TKelMsg& message) {
  const auto found = std::find_if(accounts.begin(), accounts.end(), [&](const config::TServer& account) {
    return message.AccountId != 0 && account.Id == message.AccountId;
  });
  return found == accounts.end() ? nullptr : &*found;
}

}  // namespace

void TMainForm::TBDeleteClick() {
  if (!Idle() || !CurrentMessage()) return;
  // No pass may start while the question is open; the deletion's own frame
  // sits inside this one.
  const LongCommand asking(*this, {});
  if (settings_.DeleteConf &&
      !services_.MessageBoxes->Confirm(this, QStringLiteral("Вы действительно хотите удалить текущее сообщение?")))
    return;
  const LongCommand deleting(*this, {.busyCursor = true,
                                     .refresh = true,
                                     .globe = true,
                                     .ending = &TMainForm::ShowMessageCount});
  const mail::TKelMsg& message = kelMsgList2_.Items(static_cast<std::size_t>(CurrentIndex));
  const config::TServer* account = AccountOf(settings_.AccountList, message);
  // Without its account nothing says how the server must be reached: nothing is sent.
  if (!account) {
    ShowErrorBox(QStringLiteral("Учётной записи, с которой получено это письмо, больше нет. Письмо не удалено."));
    return;
  }
  config::CopyAccount(*account, kelPOP2_);
  if (kelPOP2_.Connected()) return;
  TryFinally(
      [&] {
        LoginReport report(passDisplay_, *account, loginDelays_);
        if (mail::ConnectAndLogIn(kelPOP2_, report) == mail::PassStage::LoggedIn) SearchAndDelete(message);
      },
      [&] { kelPOP2_.Quit(); });
}

// `message` is destroyed when it is deleted from the list.
void TMainForm::SearchAndDelete(const mail::TKelMsg& message) {
  SetStatus(QStringLiteral("Осуществляется поиск письма..."));
  const std::string topHeaders = message.TopHeaders;
  kelPOP2_.CountNew();
  std::uint32_t found = 0;
  const std::uint32_t count = kelPOP2_.MsgCount();
  for (std::uint32_t index = 0; index < count && found == 0; ++index)
    if (kelPOP2_.RetrieveHeaders(index + 1) == topHeaders) found = index + 1;
  if (found == 0) {
    SetStatus(QStringLiteral("Письмо не найдено!"));
    kelPOP2_.Quit();
    return;
  }

  SetStatus(QStringLiteral("Осуществляется удаление письма..."));
  const std::uint32_t before = kelPOP2_.MsgCount();
  // The server removes a message only when it accepts the QUIT that ends
  // the session; an accepted DELE alone removes nothing.
  bool quitAccepted = false;
  try {
    kelPOP2_.DeleteMsg(found);
    kelPOP2_.Quit();
    quitAccepted = !kelPOP2_.Connected() && !kelPOP2_.ReplyError();
  } catch (const std::exception&) {
    // The message stays; the status says so below.
  }
  if (kelPOP2_.MsgCount() < before && quitAccepted) {
    const int index = CurrentIndex;
    if (index >= static_cast<int>(kelMsgList2_.Count()) - 1) --CurrentIndex;
    kelMsgList2_.Delete(static_cast<std::size_t>(index));
    SetStatus(QStringLiteral("Письмо удалено!"));
  } else {
    SetStatus(QStringLiteral("Сервер не удалил письмо!"));
  }
  kelPOP2_.Quit();
}

}  // namespace app
