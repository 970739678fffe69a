// The check pass: every enabled account is visited, every message on its
// server downloaded again into a list rebuilt from scratch (or, when messages
// are kept between passes, taken back from the previous pass by its unique
// id), and new mail announced. Also the status line, the caption and the
// progress display the pass reports with.
#include <QApplication>
#include <QCoreApplication>
#include <algorithm>
#include <climits>
#include <string>

#include "app/pass/account_check.h"
#include "app/pass/held_messages.h"
#include "app/window/long_command.h"
#include "app/window/main_form.h"
#include "app/window/try_finally.h"
#include "config/account_session.h"
#include "desktop/qor_status_bar.h"
#include "desktop/qt_text.h"
#include "mail/mailbox_pass.h"
#include "platform/freed_memory.h"

namespace app {

namespace {

constexpr int kPauseAfterAccount = 100;
constexpr int kTextPanel = 0;
constexpr int kGaugePanel = 1;

}  // namespace

void TMainForm::Timer1Timer() {
  if (!timer1_.Enabled()) return;  // another pass, a delete, a dialog or a file operation runs
  const LongCommand pass(*this, {.busyCursor = true,
                                 .refresh = true,
                                 .globe = true,
                                 .started = &TMainForm::PassStarted,
                                 .ending = &TMainForm::PassEnding,
                                 .resumed = &TMainForm::PassResumed});
  IdentifyAccounts();
  keyringWaits_ = AccountsAwaitingKeyring();
  const std::size_t oldCount = kelMsgList2_.Count();
  HeldMessages held(kelMsgList2_, messageCache_, AccountsPutOff());
  if (settings_.CacheMessages) {
    messageCache_.KeepFrom(kelMsgList2_);
  } else {
    messageCache_.Clear();
    if (services_.Messages) services_.Messages->Clear();  // nothing is kept, on disk either
  }
  kelMsgList2_.Clear();
  PassTally tally;
  TryFinally(
      [&] {
        const std::size_t accounts = settings_.AccountList.size();
        for (std::size_t index = 0; index < accounts; ++index)
          CheckAccount(settings_.AccountList.at(index), tally, held);
      },
      [&] {
        messageCache_.DropUnclaimed();
        ReportMessagesRead(tally);
      });
  AnnounceNewMail(tally.newCount);
  if (tally.newCount > 0 || kelMsgList2_.Count() != oldCount) CurrentIndex = kelMsgList2_.Count() > 0 ? 0 : -1;
}

// An account added since the last pass gets its identity, which the messages
// it gives refer to.
void TMainForm::IdentifyAccounts() {
  for (config::TServer& account : settings_.AccountList)
    if (account.Id == 0) account.Id = nextAccountId_++;
}

// A server's login delay that has not passed yet, or a password the keyring has not given.
std::set<std::uint64_t> TMainForm::AccountsPutOff() const {
  std::set<std::uint64_t> putOff;
  for (const config::TServer& account : settings_.AccountList)
    if (account.Checked && (keyringWaits_.contains(account.Id) || loginDelays_.Remaining(account).count() > 0))
      putOff.insert(account.Id);
  return putOff;
}

// The shared session is busy while a delete runs; the account then waits for the next pass.
void TMainForm::CheckAccount(const config::TServer& account, PassTally& tally, HeldMessages& held) {
  if (!account.Checked) return;
  if (held.Holds(account.Id)) {
    PutOff(account, tally, held);
    return;
  }
  config::CopyAccount(account, kelPOP2_);
  if (kelPOP2_.Connected()) {
    Wait(kPauseAfterAccount);
    return;
  }
  platform::MessageStore* store = settings_.CacheMessages ? services_.Messages.get() : nullptr;
  AccountCheck report(passDisplay_, account, loginDelays_, kelMsgList2_, messageCache_, tally, kelPOP2_.MimeDatabase(),
                      store);
  mail::MailboxPass pass(kelPOP2_, *services_.SeenIds, report, {.keepsMessages = settings_.CacheMessages});
  if (pass.Run() == mail::PassStage::LoggedIn) Wait(kPauseAfterAccount);
}

// The account keeps the messages it showed, and the status line says why it was not visited.
void TMainForm::PutOff(const config::TServer& account, PassTally& tally, HeldMessages& held) {
  held.PutBack(account.Id, kelMsgList2_, messageCache_, tally);
  const QString why = PutOffReason(account);
  if (tally.putOffCount++ == 0) tally.firstPutOff = why;
  SetStatus(QStringLiteral("Проверка отложена: ") + why);
}

QString TMainForm::PutOffReason(const config::TServer& account) const {
  const auto waiting = keyringWaits_.find(account.Id);
  const QString user = desktop::ToQString(account.UserId);
  if (waiting != keyringWaits_.end()) return user + QStringLiteral(" - ") + waiting->second;
  return QStringLiteral("%1 - сервер разрешает вход раз в %2 с, до следующего входа %3 с")
      .arg(user)
      .arg(loginDelays_.Delay(account).count())
      .arg(loginDelays_.Remaining(account).count());
}

void TMainForm::ReportMessagesRead(const PassTally& tally) {
  QString status = QStringLiteral("Прочитано писем: %1").arg(kelMsgList2_.Count());
  if (tally.unparsedCount > 0)
    status += QStringLiteral(". Не удалось разобрать писем: %1 (%2)").arg(tally.unparsedCount).arg(tally.firstParseError);
  if (tally.putOffCount > 0)
    status += QStringLiteral(". Отложено ящиков: %1 (%2)").arg(tally.putOffCount).arg(tally.firstPutOff);
  qorStatusBar1_->SetSimpleText(status);
  ShowMessageCount();
  QCoreApplication::processEvents();
}

void TMainForm::AnnounceNewMail(long long newCount) {
  if (newCount <= 0) return;
  if (settings_.ShowSound && !soundPlayer1_.Play(SoundClip::NewMail)) QApplication::beep();
  if (settings_.ShowDialog)
    newMesWin_.Notify(static_cast<int>(std::min<long long>(newCount, INT_MAX)),
                      static_cast<int>(kelMsgList2_.Count()));
  if (settings_.ShowNotify) PostDesktopNotification(newCount);
  if (settings_.ShowMain) ShowMainWindow();
}

void TMainForm::PassStarted() {
  if (isVisible()) soundPlayer1_.Play(SoundClip::CheckStart);
}

void TMainForm::PassEnding() {
  // The pass's buffers are gone; between passes the program only sits in the tray.
  platform::ReturnFreedMemory();
  newTrayIcon1_.SetHint(windowTitle());
  lastPassEnd_ = services_.Now();
}

void TMainForm::PassResumed() {
  // A pass that ended by an exception has not placed the index on the new list.
  if (CurrentIndex >= static_cast<int>(kelMsgList2_.Count())) CurrentIndex = kelMsgList2_.Count() > 0 ? 0 : -1;
}

void TMainForm::SetStatus(const QString& text) {
  qorStatusBar1_->SetSimpleText(text);
  newTrayIcon1_.SetHint(qorStatusBar1_->SimpleText());
  QCoreApplication::processEvents();
}

void TMainForm::ShowErrorText(const QString& text) {
  qorStatusBar1_->SetSimpleText(text);
  QCoreApplication::processEvents();
}

void TMainForm::ShowMessageCount() {
  setWindowTitle(QStringLiteral("Tessaro (POP3) - %1").arg(kelMsgList2_.Count()));
  newTrayIcon1_.SetHint(windowTitle());
}

// The text panel starts over with `text`, the gauge at 0, and the tray tip follows the text.
void TMainForm::StartProgress(const QString& text) {
  desktop::TQorStatusPanel& panel = qorStatusBar1_->Panels()[kTextPanel];
  panel.SetText(text);
  qorStatusBar1_->Panels()[kGaugePanel].GaugeAttrs().SetPosition(0);
  newTrayIcon1_.SetHint(panel.Text());
}

void TMainForm::ShowProgress(std::uint16_t percent) {
  qorStatusBar1_->Panels()[kGaugePanel].GaugeAttrs().SetPosition(percent);
  QCoreApplication::processEvents();
}

void TMainForm::KelPOP2BeforeRetrieve(std::uint32_t number) {
  StartProgress(QStringLiteral("Чтение письма: %1").arg(number));
  QCoreApplication::processEvents();
}

void TMainForm::KelPOP2RetrieveProgress(std::uint16_t percent) { ShowProgress(percent); }

void TMainForm::KelPOP2AfterRetrieve() {
  StartProgress(QString());
  QCoreApplication::processEvents();
}

void TMainForm::KelPOP2DecodeStart(const std::string& fileName) {
  StartProgress(QStringLiteral("Дешифровка файла: ") + desktop::ToQString(fileName));
}

void TMainForm::KelPOP2DecodeProgress(std::uint16_t percent) { ShowProgress(percent); }

void TMainForm::KelPOP2DecodeEnd() {
  StartProgress(QString());
  QCoreApplication::processEvents();
}

void TMainForm::BindSession() {
  passDisplay_ = {[this](const QString& text) { SetStatus(text); }, [this](const QString& text) { ShowErrorText(text); },
                  [this](int milliseconds) { Wait(milliseconds); },
                  [this](bool simple) { qorStatusBar1_->SetSimplePanel(simple); }};
  kelPOP2_.RetrieveProgressStep = 1;
  kelPOP2_.DecodeProgressStep = 1;
  kelPOP2_.KeepUnparsableMessages = true;
  kelPOP2_.OnBeforeRetrieve = [this](mail::TKelPOP&, std::uint32_t number) { KelPOP2BeforeRetrieve(number); };
  kelPOP2_.OnRetrieveProgress = [this](mail::TKelPOP&, std::uint16_t percent) { KelPOP2RetrieveProgress(percent); };
  kelPOP2_.OnAfterRetrieve = [this](mail::TKelPOP&) { KelPOP2AfterRetrieve(); };
  kelPOP2_.OnDecodeStart = [this](mail::TKelPOP&, const std::string& fileName, std::int32_t) {
    KelPOP2DecodeStart(fileName);
  };
  kelPOP2_.OnDecodeProgress = [this](mail::TKelPOP&, std::uint16_t percent) { KelPOP2DecodeProgress(percent); };
  kelPOP2_.OnDecodeEnd = [this](mail::TKelPOP&) { KelPOP2DecodeEnd(); };
}

}  // namespace app
