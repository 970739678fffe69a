// The check pass: every enabled account is visited, every message on its
// server downloaded again into a list rebuilt from scratch (or, when messages
// are kept between passes, taken back from the previous pass by its unique
// id), and new mail announced. Also the status line, the caption and the
// progress display the pass reports with.
#include <QApplication>
#include <QCoreApplication>
#include <algorithm>
#include <climits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/busy_globe.h"
#include "app/main_form.h"
#include "app/try_finally.h"
#include "desktop/busy_cursor.h"
#include "desktop/qor_status_bar.h"
#include "desktop/qt_text.h"
#include "mail/new_mail_count.h"
#include "platform/freed_memory.h"

namespace app {

namespace {

constexpr int kPauseAfterAccount = 100;
constexpr int kPauseAfterError = 2000;
constexpr int kTextPanel = 0;
constexpr int kGaugePanel = 1;

// The unique id of each message number from 1 to `count`; empty ids where
// none is known.
std::vector<std::string> IdsByNumber(const std::optional<std::vector<std::pair<std::uint32_t, std::string>>>& ids,
                                     std::uint32_t count) {
  std::vector<std::string> byNumber(count);
  if (!ids) return byNumber;
  for (const auto& [number, id] : *ids)
    if (number >= 1 && number <= count) byNumber[number - 1] = id;
  return byNumber;
}

}  // namespace

void TMainForm::Timer1Timer() {
  if (!timer1_.Enabled()) return;  // another pass, a delete, a dialog or a file operation runs
  timer1_.SetEnabled(false);
  desktop::BeginBusy();
  if (isVisible()) soundPlayer1_.Play(SoundClip::CheckStart);
  TryFinally(
      [&] {
        UpdateToolButtons();
        ShowCurrentMessage();
        globeAnimate_->Play();
        const std::size_t oldCount = kelMsgList2_.Count();
        if (settings_.CacheMessages)
          messageCache_.KeepFrom(kelMsgList2_);
        else
          messageCache_.Clear();
        kelMsgList2_.Clear();
        unparsedCount_ = 0;
        firstParseError_.clear();
        long long newCount = 0;
        TryFinally(
            [&] {
              const std::size_t accounts = settings_.AccountList.size();
              for (std::size_t index = 0; index < accounts; ++index)
                CheckAccount(settings_.AccountList.at(index), newCount);
            },
            [&] {
              messageCache_.DropUnclaimed();
              ReportMessagesRead();
            });
        AnnounceNewMail(newCount);
        if (newCount > 0 || kelMsgList2_.Count() != oldCount) CurrentIndex = kelMsgList2_.Count() > 0 ? 0 : -1;
      },
      [&] { EndPass(); });
}

void TMainForm::CheckAccount(const config::TServer& account, long long& newCount) {
  if (!account.Checked) return;
  kelPOP2_.Host = account.Host;
  kelPOP2_.Port = std::to_string(account.Port);
  kelPOP2_.Security = account.Security;
  kelPOP2_.CertSha256 = account.CertSha256;
  kelPOP2_.UserId = account.UserId;
  kelPOP2_.Passwd = account.Passwd;
  accountIds_.reset();
  if (kelPOP2_.Connected()) {
    Wait(kPauseAfterAccount);
    return;
  }
  TryFinally(
      [&] {
        if (!ConnectAndLogIn()) return;
        SetStatus(QStringLiteral("Выполнен вход под именем: ") + desktop::ToQString(kelPOP2_.UserId));
        const std::uint32_t lastNew = kelPOP2_.CountNew();
        if (kelPOP2_.Connected() && (kelPOP2_.LastRefused() || settings_.CacheMessages))
          accountIds_ = kelPOP2_.UniqueIds();
        const platform::MailboxKey mailbox{account.Host, account.Port, account.UserId};
        const bool byIds =
            kelPOP2_.LastRefused() && accountIds_ && mail::IdsCoverMailbox(*accountIds_, kelPOP2_.MsgCount());
        newCount += byIds ? mail::CountUnseen(*accountIds_, services_.SeenIds->Load(mailbox)) : lastNew;
        qorStatusBar1_->SetSimplePanel(false);
        TryFinally([&] { DownloadMessages(); }, [&] { qorStatusBar1_->SetSimplePanel(true); });
        // Only a download that went through marks the mail as seen; a record that
        // cannot be written only means the same mail is announced once more.
        if (byIds && kelPOP2_.Connected()) services_.SeenIds->Save(mailbox, mail::SeenAfterPass(*accountIds_));
        kelPOP2_.Quit();
        Wait(kPauseAfterAccount);
      },
      [&] { kelPOP2_.Quit(); });
}

// Connects the session and logs in, with the status texts of both steps; on
// failure the error text stays readable for a moment. Quit, when it is due,
// is the caller's.
bool TMainForm::ConnectAndLogIn() {
  const QString host = desktop::ToQString(kelPOP2_.Host);
  const QString user = desktop::ToQString(kelPOP2_.UserId);
  SetStatus(QStringLiteral("Подключение к серверу: ") + host + QStringLiteral("..."));
  try {
    kelPOP2_.Connect();
  } catch (const std::exception&) {
    // Reported below from Connected, like every other failure to connect.
  }
  if (!kelPOP2_.Connected()) {
    ShowErrorText(QStringLiteral("Ошибка при подключени к серверу: ") + host);
    Wait(kPauseAfterError);
    return false;
  }
  SetStatus(QStringLiteral("Осуществляется вход под именем: ") + user);
  if (kelPOP2_.Login()) return true;
  ShowErrorText(QStringLiteral("Ошибка при входе под именем: ") + user);
  Wait(kPauseAfterError);
  return false;
}

// With messages kept between passes, one the previous pass had under the
// same unique id is taken back with its TopHeaders instead of fetched; the
// list comes out as a full download would give it.
void TMainForm::DownloadMessages() {
  const std::uint32_t count = kelPOP2_.MsgCount();
  const std::vector<std::string> ids = IdsByNumber(settings_.CacheMessages ? accountIds_ : std::nullopt, count);
  const auto keyOf = [&](std::uint32_t number) {
    return MessageCache::Key{kelPOP2_.Host, kelPOP2_.Port, kelPOP2_.UserId, ids[number - 1]};
  };
  std::vector<std::uint32_t> numbersToFetch;
  for (std::uint32_t number = 1; number <= count; ++number)
    if (!messageCache_.Contains(keyOf(number))) numbersToFetch.push_back(number);
  kelPOP2_.SendAhead(std::move(numbersToFetch));
  for (std::uint32_t number = 1; number <= count; ++number) {
    MessageCache::Key key = keyOf(number);
    MessageCache::Entry entry = messageCache_.Take(key);
    const bool fetched = !entry.Message;
    if (fetched) {
      entry.Message = kelPOP2_.Retrieve(number);
      if (!entry.Message) return;  // the session failed the transfer and closed itself
      entry.ParseError = kelPOP2_.LastParseError;
    }
    // A message that could not be parsed stays readable as its raw lines.
    if (!entry.ParseError.empty()) {
      if (unparsedCount_ == 0) firstParseError_ = desktop::ToQString(entry.ParseError);
      ++unparsedCount_;
    }
    mail::TKelMsg& message = *entry.Message;
    message.AccountHost = kelPOP2_.Host;
    message.AccountUserId = kelPOP2_.UserId;
    message.AccountPasswd = kelPOP2_.Passwd;
    if (fetched) message.TopHeaders = kelPOP2_.RetrieveHeaders(number);
    const bool headersRefused = fetched && !kelPOP2_.Connected();
    kelMsgList2_.Add(std::move(entry.Message));
    messageCache_.Record(message, std::move(key), std::move(entry.ParseError));
    // A refused TOP has closed the session, like a refused retrieval; the
    // next retrieval would only fail on the closed connection.
    if (headersRefused) return;
  }
}

void TMainForm::ReportMessagesRead() {
  QString status = QStringLiteral("Прочитано писем: %1").arg(kelMsgList2_.Count());
  if (unparsedCount_ > 0)
    status += QStringLiteral(". Не удалось разобрать писем: %1 (%2)").arg(unparsedCount_).arg(firstParseError_);
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
  if (settings_.ShowMain) ShowMainWindow();
}

void TMainForm::EndPass() {
  // The pass's buffers are gone; between passes the program only sits in the tray.
  platform::ReturnFreedMemory();
  newTrayIcon1_.SetHint(windowTitle());
  globeAnimate_->Stop();
  desktop::EndBusy();
  timer1_.SetEnabled(true);
  // A pass that ended by an exception has not placed the index on the new list.
  if (CurrentIndex >= static_cast<int>(kelMsgList2_.Count())) CurrentIndex = kelMsgList2_.Count() > 0 ? 0 : -1;
  UpdateToolButtons();
  ShowCurrentMessage();
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
