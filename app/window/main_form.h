// TMainForm: the program's main window and everything it owns for the whole
// run: the accounts and settings, the message list, the one POP3 session the
// check pass and the delete command share, the viewed temporary files, the
// tray icon, the status bar, the check timer Timer1 and the clean-up timer
// TimerFileDelete.
//
// The check timer's enabled state is the program's idle flag: every long
// operation disables it for its duration, and every command that touches the
// network, the message list or the attachment list does nothing while it is
// disabled.
//
// Handlers are public and named after their control and event. Like the
// commands they stand for, they may raise; the window's own connections run
// them through Run, which hands what they raise to the standard error box.
// Call FormCreate once after construction.
#pragma once

#include <QString>
#include <QStyle>
#include <QWidget>
#include <chrono>
#include <cstdint>
#include <exception>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/attachments/attachment_commands.h"
#include "app/window/interval_timer.h"
#include "app/window/main_form_services.h"
#include "app/pass/login_delays.h"
#include "app/pass/message_cache.h"
#include "app/notice/new_mail_notice.h"
#include "app/pass/pass_display.h"
#include "app/notice/sound_player.h"
#include "app/view/shown_message.h"
#include "config/main_settings.h"
#include "config/server.h"
#include "desktop/desktop_notification.h"
#include "desktop/form_placement_reg.h"
#include "desktop/new_tray_icon.h"
#include "desktop/popup_menu.h"
#include "mail/message.h"
#include "mail/pop3_session.h"

class QAction;
class QCloseEvent;
class QMenu;
class QToolBar;

namespace desktop {
class TQorStatusBar;
}

namespace app {

class BusyGlobe;
class MessageView;
class HeldMessages;
struct PassTally;
class TFontDialog;

class TMainForm : public QWidget {
  Q_OBJECT

 public:
  explicit TMainForm(MainFormServices services, QWidget* parent = nullptr);
  // FormDestroy.
  ~TMainForm() override;

  // Runs a handler; what it raises goes to the standard error box.
  void Run(void (TMainForm::*handler)());
  // The standard error report: one error box with the exception's message.
  // While a box is open, a second failure shows nothing more.
  void HandleException(const std::exception& error);

  // Start-up and lifecycle.
  void FormCreate();
  void TBHideClick();
  void ApplicationEvents1Minimize();
  void NShowClick();
  void NewTrayIcon1DblClick();
  void PopupMenu1Popup();
  void TBTerminateClick();
  void TBAboutClick();
  void ApplicationEvents1Hint(const QString& hint);
  void TBConfigClick();
  void TBRefreshClick();
  // The desktop session ends: the close is allowed once, so every setting is
  // stored and the program ends.
  void WMQueryEndSession();

  // The check pass and what it reports with.
  void Timer1Timer();
  // A resume or the network's return (wake_signals.h): a pass soon after.
  void SystemWake();
  void WakeTimerTimer();
  bool WakePassPending() const { return wakeTimer_.Enabled(); }
  void SetStatus(const QString& text);
  void ShowMessageCount();

  // Progress of the session's retrievals and file decoding.
  void KelPOP2BeforeRetrieve(std::uint32_t number);
  void KelPOP2RetrieveProgress(std::uint16_t percent);
  void KelPOP2AfterRetrieve();
  void KelPOP2DecodeStart(const std::string& fileName);
  void KelPOP2DecodeProgress(std::uint16_t percent);
  void KelPOP2DecodeEnd();

  // The view and navigation.
  void UpdateToolButtons();
  void ShowCurrentMessage();
  void TBPredClick();
  void TBNextClick();
  void TBWordWrapClick();
  void TBFontClick();
  void FontDialog1Apply();

  // Deleting the current message on its server.
  void TBDeleteClick();

  // The attachment list's commands.
  void NSaveFileClick();
  void NShowFileClick();
  void TimerFileDeleteTimer();

  // The placement component's events: every setting is read and written here.
  void FormPlacementReg1RestorePlacement();
  void FormPlacementReg1SavePlacement();

  // State.
  bool CloseAllowed = false;
  int CurrentIndex = -1;
  config::TMainSettings& Settings() { return settings_; }
  config::TAccountList& AccountList() { return settings_.AccountList; }
  mail::TKelMsgList& KelMsgList2() { return kelMsgList2_; }
  mail::TKelPOP& KelPOP2() { return kelPOP2_; }
  IntervalTimer& Timer1() { return timer1_; }
  IntervalTimer& TimerFileDelete() { return timerFileDelete_; }
  NewMailNotice& NewMesWin() { return newMesWin_; }
  desktop::DesktopNotification& DesktopNotification() { return desktopNotification_; }
  AttachmentCommands& Attachments() { return attachments_; }
  desktop::TNewTrayIcon& NewTrayIcon1() { return newTrayIcon1_; }
  desktop::TFormPlacementReg& FormPlacementReg1() { return formPlacementReg1_; }

  // Controls.
  QToolBar* ToolBar() const { return toolBar_; }
  QAction* TBPred() const { return tbPred_; }
  QAction* TBNext() const { return tbNext_; }
  QAction* TBDelete() const { return tbDelete_; }
  QAction* TBRefresh() const { return tbRefresh_; }
  QAction* TBConfig() const { return tbConfig_; }
  QAction* TBFont() const { return tbFont_; }
  QAction* TBWordWrap() const { return tbWordWrap_; }
  QAction* TBHide() const { return tbHide_; }
  QAction* TBTerminate() const { return tbTerminate_; }
  QAction* TBAbout() const { return tbAbout_; }
  BusyGlobe* GlobeAnimate() const { return globeAnimate_; }
  MessageView* View() const { return view_; }
  desktop::TQorStatusBar* QorStatusBar1() const { return qorStatusBar1_; }
  desktop::TPopupMenu* PopupMenu1() const { return popupMenu1_; }
  QAction* NShow() const { return nShow_; }
  QAction* NHide() const { return nHide_; }
  QAction* NTerminate() const { return nTerminate_; }
  QMenu* FilePopupMenu() const { return filePopupMenu_; }
  QAction* NSaveFile() const { return nSaveFile_; }
  QAction* NShowFile() const { return nShowFile_; }
  TFontDialog* FontDialog1() const { return fontDialog1_; }

 signals:
  // A close was allowed: the program ends once control is back in its loop.
  void Terminated();

 protected:
  bool event(QEvent* event) override;
  // FormCloseQuery.
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  class LongCommand;

  void BuildToolBand();
  void BuildStatusBar();
  void BuildTrayIcon();
  void BuildFilePopupMenu();
  void BindSession();
  QAction* AddButton(const char* name, const QString& hint, const char* themeIcon, QStyle::StandardPixmap fallback,
                     void (TMainForm::*handler)());
  QAction* AddMenuItem(QMenu& menu, const QString& text, const QString& hint, void (TMainForm::*handler)());

  // Application.Minimize: the window goes to the tray.
  void ApplicationMinimize();
  void ShowMainWindow();
  void ShowErrorBox(const QString& text);
  // An error status: the status line only, the tray tip stays.
  void ShowErrorText(const QString& text);
  void Wait(int milliseconds);
  bool Idle() const { return timer1_.Enabled(); }
  // The message CurrentIndex points at, or null when it lies outside the list.
  const mail::TKelMsg* CurrentMessage() const;

  void IdentifyAccounts();
  // The accounts this pass will not log into, by their identity.
  std::set<std::uint64_t> AccountsPutOff() const;
  void CheckAccount(const config::TServer& account, PassTally& tally, HeldMessages& held);
  void PutOff(const config::TServer& account, PassTally& tally, HeldMessages& held);
  // The accounts whose password the keyring could not give yet, each with why (keyring_wait.cpp).
  std::map<std::uint64_t, QString> AccountsAwaitingKeyring();
  QString PutOffReason(const config::TServer& account) const;
  void StartProgress(const QString& text);
  void ShowProgress(std::uint16_t percent);
  void ReportMessagesRead(const PassTally& tally);
  void AnnounceNewMail(long long newCount);
  void PostDesktopNotification(long long newCount);
  // The pass's own steps in its frame.
  void PassStarted();
  void PassEnding();
  void PassResumed();
  void SearchAndDelete(const mail::TKelMsg& message);

  void CollectWidgetState();
  void ApplySettings();

  MainFormServices services_;
  config::TMainSettings settings_;
  mail::TKelMsgList kelMsgList2_;
  std::uint64_t nextAccountId_ = 1;
  mail::TKelPOP kelPOP2_;
  ShownMessage shownMessage_;
  SoundPlayer soundPlayer1_;
  AttachmentCommands attachments_;
  IntervalTimer timer1_;
  IntervalTimer timerFileDelete_;
  IntervalTimer wakeTimer_;
  std::optional<std::chrono::steady_clock::time_point> lastPassEnd_;
  // The previous pass's messages while a pass runs, when they are kept between passes.
  MessageCache messageCache_;
  LoginDelays loginDelays_;
  // This pass's accounts put off until the keyring gives their password.
  std::map<std::uint64_t, QString> keyringWaits_;
  PassDisplay passDisplay_;
  bool errorBoxOpen_ = false;
  bool applicationMinimized_ = false;

  QToolBar* toolBar_ = nullptr;
  QAction* tbPred_ = nullptr;
  QAction* tbNext_ = nullptr;
  QAction* tbDelete_ = nullptr;
  QAction* tbRefresh_ = nullptr;
  QAction* tbConfig_ = nullptr;
  QAction* tbFont_ = nullptr;
  QAction* tbWordWrap_ = nullptr;
  QAction* tbHide_ = nullptr;
  QAction* tbTerminate_ = nullptr;
  QAction* tbAbout_ = nullptr;
  BusyGlobe* globeAnimate_ = nullptr;
  MessageView* view_ = nullptr;
  desktop::TQorStatusBar* qorStatusBar1_ = nullptr;
  desktop::TPopupMenu* popupMenu1_ = nullptr;
  QAction* nShow_ = nullptr;
  QAction* nHide_ = nullptr;
  QAction* nTerminate_ = nullptr;
  QMenu* filePopupMenu_ = nullptr;
  QAction* nSaveFile_ = nullptr;
  QAction* nShowFile_ = nullptr;
  TFontDialog* fontDialog1_ = nullptr;

  NewMailNotice newMesWin_;
  desktop::DesktopNotification desktopNotification_;
  bool notificationServiceMissingSaid_ = false;
  desktop::TNewTrayIcon newTrayIcon1_;
  // Last: it saves on destruction, and what its events read must still stand.
  desktop::TFormPlacementReg formPlacementReg1_;
};

}  // namespace app
