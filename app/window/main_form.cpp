// The main window's construction, layout and lifecycle: start-up, show,
// hide, close and exit, the tray icon and its menu, the status line hint,
// the about box and the settings the placement component reads and writes.
#include "app/window/main_form.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QMenu>
#include <QScopeGuard>
#include <QStatusTipEvent>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

#include "app/window/about_box.h"
#include "app/window/busy_globe.h"
#include "app/window/embedded_resources.h"
#include "app/window/font_dialog.h"
#include "app/view/message_view.h"
#include "app/window/try_finally.h"
#include "config/font_conversion.h"
#include "config/keyring_passwords.h"
#include "desktop/exception_text.h"
#include "desktop/qor_status_bar.h"
#include "desktop/qt_text.h"
#include "mail/mail_error.h"
#include "platform/throttled_event_pump.h"

namespace app {

namespace {

constexpr int kClientWidth = 532;
constexpr int kClientHeight = 388;
constexpr int kTextPanelWidth = 200;
constexpr int kGaugePanelWidth = 50;
constexpr int kCheckInterval = 600000;    // ten minutes, until the settings say otherwise
constexpr int kCleanUpInterval = 600000;  // viewed files are tried for deletion this often
constexpr int kWakePassDelay = 5000;  // a network that comes back with the resume has settled by then

// The login delays and the wake check count time by one clock.
MainFormServices WithClock(MainFormServices services) {
  if (!services.Now) services.Now = std::chrono::steady_clock::now;
  return services;
}

// A colour as the settings store it: 0x00BBGGRR.
int StoredColor(const QColor& color) { return color.red() | color.green() << 8 | color.blue() << 16; }

}  // namespace

TMainForm::TMainForm(MainFormServices services, QWidget* parent)
    : QWidget(parent),
      services_(WithClock(std::move(services))),
      kelPOP2_(std::move(services_.TcpClient),
               platform::ThrottledEventPump([] { QCoreApplication::processEvents(); }),
               services_.MimeDatabase.get()),
      shownMessage_(kelPOP2_, services_.Messages),
      soundPlayer1_(services_.HasAudioOutput),
      attachments_(services_.Attachments, services_.MessageBoxes.get(), services_.MimeDatabase.get()),
      timer1_(kCheckInterval, false),
      timerFileDelete_(kCleanUpInterval, true),
      wakeTimer_(kWakePassDelay, false),
      loginDelays_(services_.Now),
      newMesWin_(this),
      formPlacementReg1_(*this, services_.RegistryOpener) {
  setWindowIcon(ProgramIcon());
  resize(kClientWidth, kClientHeight);

  view_ = new MessageView(this);
  view_->IsIdle = [this] { return Idle(); };
  view_->OnViewFile = [this] { Run(&TMainForm::NShowFileClick); };
  view_->OnFileMenu = [this](QPoint at) { filePopupMenu_->popup(at); };
  BuildToolBand();
  BuildStatusBar();
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(toolBar_->parentWidget());
  layout->addWidget(view_, 1);
  layout->addWidget(qorStatusBar1_);
  BuildFilePopupMenu();
  fontDialog1_ = new TFontDialog(this);
  fontDialog1_->OnApply = [this] { Run(&TMainForm::FontDialog1Apply); };

  BindSession();
  timer1_.OnTimer = [this] { Run(&TMainForm::Timer1Timer); };
  timerFileDelete_.OnTimer = [this] { Run(&TMainForm::TimerFileDeleteTimer); };
  wakeTimer_.OnTimer = [this] { Run(&TMainForm::WakeTimerTimer); };
  desktopNotification_.OnShowWindow = [this] { Run(&TMainForm::NShowClick); };

  formPlacementReg1_.Options = desktop::fpPosition;
  formPlacementReg1_.OnRestorePlacement = [this](desktop::TFormPlacementReg&) { FormPlacementReg1RestorePlacement(); };
  formPlacementReg1_.OnSavePlacement = [this](desktop::TFormPlacementReg&) { FormPlacementReg1SavePlacement(); };
  formPlacementReg1_.OnError = [this](desktop::TFormPlacementReg&, const std::string& message) {
    ShowErrorBox(desktop::ToQString(message));
  };
  formPlacementReg1_.ApplicationMinimized = [this] { return applicationMinimized_; };

  // The widgets start from the fresh-start settings; the stored ones are read
  // with these as their defaults.
  ApplySettings();
  ShowMessageCount();
  BuildTrayIcon();
}

TMainForm::~TMainForm() {
  // The accounts and the viewed files go with their members, after the
  // placement component has stored the settings.
  timer1_.SetEnabled(false);
}

void TMainForm::BuildToolBand() {
  auto* band = new QWidget(this);
  toolBar_ = new QToolBar(band);
  toolBar_->setObjectName(QStringLiteral("ToolBar1"));
  toolBar_->setIconSize(QSize(16, 16));
  tbPred_ = AddButton("TBPred", QStringLiteral("Предыдущее письмо"), "go-previous", QStyle::SP_ArrowBack,
                      &TMainForm::TBPredClick);
  tbNext_ = AddButton("TBNext", QStringLiteral("Следующее письмо"), "go-next", QStyle::SP_ArrowForward,
                      &TMainForm::TBNextClick);
  toolBar_->addSeparator();
  tbDelete_ = AddButton("TBDelete", QStringLiteral("Удаление текущего письма"), "edit-delete", QStyle::SP_TrashIcon,
                        &TMainForm::TBDeleteClick);
  toolBar_->addSeparator();
  tbRefresh_ = AddButton("TBRefresh", QStringLiteral("Обновление"), "view-refresh", QStyle::SP_BrowserReload,
                         &TMainForm::TBRefreshClick);
  tbConfig_ = AddButton("TBConfig", QStringLiteral("Настройка"), "preferences-system",
                        QStyle::SP_FileDialogDetailedView, &TMainForm::TBConfigClick);
  tbFont_ = AddButton("TBFont", QStringLiteral("Параметры фонта"), "preferences-desktop-font",
                      QStyle::SP_FileDialogContentsView, &TMainForm::TBFontClick);
  tbWordWrap_ = AddButton("TBWordWrap", QStringLiteral("Перенос слов при выходе за границу окна"),
                          "format-justify-fill", QStyle::SP_FileDialogListView, &TMainForm::TBWordWrapClick);
  tbWordWrap_->setCheckable(true);
  toolBar_->addSeparator();
  tbHide_ = AddButton("TBHide", QStringLiteral("Убрать окно с экрана"), "go-down", QStyle::SP_TitleBarMinButton,
                      &TMainForm::TBHideClick);
  tbTerminate_ = AddButton("TBTerminate", QStringLiteral("Выход из программы"), "application-exit",
                           QStyle::SP_DialogCloseButton, &TMainForm::TBTerminateClick);
  toolBar_->addSeparator();
  tbAbout_ = AddButton("TBAbout", QStringLiteral("Информация о программе"), "help-about",
                       QStyle::SP_MessageBoxInformation, &TMainForm::TBAboutClick);

  globeAnimate_ = new BusyGlobe(band);
  globeAnimate_->setObjectName(QStringLiteral("GlobeAnimate"));
  auto* row = new QHBoxLayout(band);
  row->setContentsMargins(0, 0, 2, 0);
  row->addWidget(toolBar_);
  row->addStretch();
  row->addWidget(globeAnimate_);
}

// The desktop's icon theme first; the style's own icon where the theme has none.
QAction* TMainForm::AddButton(const char* name, const QString& hint, const char* themeIcon,
                              QStyle::StandardPixmap fallback, void (TMainForm::*handler)()) {
  const QIcon icon = QIcon::fromTheme(QLatin1String(themeIcon), style()->standardIcon(fallback));
  QAction* button = toolBar_->addAction(icon, hint);
  button->setObjectName(QLatin1String(name));
  button->setToolTip(hint);
  button->setStatusTip(hint);
  connect(button, &QAction::triggered, this, [this, handler] { Run(handler); });
  return button;
}

void TMainForm::BuildStatusBar() {
  qorStatusBar1_ = new desktop::TQorStatusBar(this);
  qorStatusBar1_->setObjectName(QStringLiteral("QorStatusBar1"));
  desktop::TQorStatusPanel& text = qorStatusBar1_->Panels().Add();
  text.SetWidth(kTextPanelWidth);
  desktop::TQorStatusPanel& gauge = qorStatusBar1_->Panels().Add();
  gauge.SetPanelType(desktop::sptGauge);
  gauge.SetAlignment(desktop::taCenter);
  gauge.SetWidth(kGaugePanelWidth);
  qorStatusBar1_->SetSimplePanel(true);
}

void TMainForm::BuildTrayIcon() {
  popupMenu1_ = new desktop::TPopupMenu(this);
  nShow_ = AddMenuItem(*popupMenu1_, QStringLiteral("Показать окно"), QString(), &TMainForm::NShowClick);
  nHide_ = AddMenuItem(*popupMenu1_, QStringLiteral("Убрать окно"), QString(), &TMainForm::TBHideClick);
  popupMenu1_->addSeparator();
  nTerminate_ = AddMenuItem(*popupMenu1_, QStringLiteral("Выход..."), QString(), &TMainForm::TBTerminateClick);
  connect(popupMenu1_, &QMenu::aboutToShow, this, [this] { Run(&TMainForm::PopupMenu1Popup); });

  // The desktop's icon theme may draw Tessaro in its own style; a named icon
  // also lets a StatusNotifierItem host look it up by name.
  newTrayIcon1_.SetIcon(QIcon::fromTheme(QStringLiteral("tessaro"), ProgramIcon()));
  newTrayIcon1_.SetHint(windowTitle());
  newTrayIcon1_.SetPopupMenu(popupMenu1_);
  newTrayIcon1_.OnDblClick = [this](desktop::TNewTrayIcon&) { Run(&TMainForm::NewTrayIcon1DblClick); };
  newTrayIcon1_.ErrorDisplay = [this](const std::exception& error) { HandleException(error); };
  newTrayIcon1_.Loaded();
}

void TMainForm::BuildFilePopupMenu() {
  filePopupMenu_ = new QMenu(this);
  filePopupMenu_->setObjectName(QStringLiteral("FilePopupMenu"));
  nSaveFile_ = AddMenuItem(*filePopupMenu_, QStringLiteral("Сохранить файл..."),
                           QStringLiteral("Сохранить выбранный файл"), &TMainForm::NSaveFileClick);
  nShowFile_ = AddMenuItem(*filePopupMenu_, QStringLiteral("Просмотреть файл..."),
                           QStringLiteral("Просмотреть выбранный файл"), &TMainForm::NShowFileClick);
}

// The item belongs to the window, not to the menu: a popup menu hands an
// item's status tip to the item's owner, and the window shows it.
QAction* TMainForm::AddMenuItem(QMenu& menu, const QString& text, const QString& hint,
                                void (TMainForm::*handler)()) {
  auto* item = new QAction(text, this);
  item->setStatusTip(hint);
  menu.addAction(item);
  connect(item, &QAction::triggered, this, [this, handler] { Run(handler); });
  return item;
}

void TMainForm::Run(void (TMainForm::*handler)()) {
  try {
    (this->*handler)();
  } catch (const std::exception& error) {
    HandleException(error);
  }
}

void TMainForm::HandleException(const std::exception& error) { ShowErrorBox(desktop::ExceptionText(error)); }

// A pass that fails while the box of an earlier failure is still open (the
// timer goes on meanwhile) adds no second box.
void TMainForm::ShowErrorBox(const QString& text) {
  if (errorBoxOpen_) return;
  errorBoxOpen_ = true;
  const auto closed = qScopeGuard([this] { errorBoxOpen_ = false; });
  services_.MessageBoxes->Error(this, text);
}

void TMainForm::FormCreate() {
  CurrentIndex = -1;
  TryFinally(
      [&] {
        formPlacementReg1_.RestorePlacement();
        UpdateToolButtons();
        ShowCurrentMessage();
        if (settings_.ShowConfig && settings_.AccountList.empty()) {
          TBConfigClick();
          return;
        }
        timer1_.SetEnabled(true);
        try {
          Timer1Timer();
        } catch (const std::exception&) {
          // The first pass runs before anyone looks; its failure is not reported.
        }
      },
      [&] {
        timer1_.SetEnabled(true);
        UpdateToolButtons();
        ShowCurrentMessage();
      });
  // Without a notification area the window is the program's only presence.
  if (!services_.TrayAvailable()) ShowMainWindow();
}

void TMainForm::TBHideClick() {
  newMesWin_.CloseNotice();
  ApplicationMinimize();
}

void TMainForm::ApplicationMinimize() {
  applicationMinimized_ = true;
  ApplicationEvents1Minimize();
}

void TMainForm::ApplicationEvents1Minimize() {
  newMesWin_.CloseNotice();
  if (services_.TrayAvailable())
    hide();
  else if (!isMinimized())
    showMinimized();
}

void TMainForm::NShowClick() { ShowMainWindow(); }

void TMainForm::ShowMainWindow() {
  desktopNotification_.Close();
  applicationMinimized_ = false;
  setWindowState(windowState() & ~Qt::WindowMinimized);
  show();
  raise();
  activateWindow();
}

void TMainForm::NewTrayIcon1DblClick() {
  if (Idle()) NShowClick();
}

void TMainForm::PopupMenu1Popup() {
  nShow_->setEnabled(!isVisible() && Idle());
  nHide_->setEnabled(isVisible() && Idle());
  nTerminate_->setEnabled(true);
}

void TMainForm::TBTerminateClick() {
  if (!services_.MessageBoxes->Confirm(this, QStringLiteral("Вы действительно хотите завершить работу программы?")))
    return;
  CloseAllowed = true;
  close();
}

void TMainForm::WMQueryEndSession() {
  TryFinally(
      [&] {
        CloseAllowed = true;
        close();
      },
      [&] { CloseAllowed = false; });
}

void TMainForm::TBAboutClick() {
  TAboutBox box(this);
  box.exec();
}

void TMainForm::ApplicationEvents1Hint(const QString& hint) { qorStatusBar1_->SetSimpleText(hint); }

void TMainForm::TBRefreshClick() { Timer1Timer(); }

bool TMainForm::event(QEvent* event) {
  if (event->type() == QEvent::StatusTip) {
    ApplicationEvents1Hint(static_cast<QStatusTipEvent*>(event)->tip());
    return true;
  }
  return QWidget::event(event);
}

void TMainForm::closeEvent(QCloseEvent* event) {
  if (CloseAllowed) {
    event->accept();
    emit Terminated();
    return;
  }
  event->ignore();
  newMesWin_.CloseNotice();
  ApplicationMinimize();
}

// Minimising hides the window, once the window system has finished minimising it.
void TMainForm::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() != QEvent::WindowStateChange || !isMinimized()) return;
  applicationMinimized_ = true;
  QMetaObject::invokeMethod(this, [this] { Run(&TMainForm::ApplicationEvents1Minimize); }, Qt::QueuedConnection);
}

void TMainForm::FormPlacementReg1RestorePlacement() {
  if (settings_.Loaded) return;  // every later show brings the event again
  CollectWidgetState();
  config::RestoreMainSettings(*formPlacementReg1_.RegIniFile(), settings_, services_.Keyring.get());
  ApplySettings();
}

// Passwords of an older file, or of a time without a keyring, move into the
// keyring at the first save that finds one.
void TMainForm::FormPlacementReg1SavePlacement() {
  CollectWidgetState();
  if (services_.Keyring) config::StorePasswords(settings_.AccountList, *services_.Keyring);
  config::SaveMainSettings(*formPlacementReg1_.RegIniFile(), settings_);
}

// The settings that live in widgets, as the widgets hold them now.
void TMainForm::CollectWidgetState() {
  settings_.Interval = timer1_.Interval();
  settings_.Font = config::FromQFont(view_->BodyFont(), settings_.Font);
  // A system colour stays stored as one until the user picks another colour.
  if (view_->BodyColor() != config::ToQColor(settings_.Font.Color, palette()))
    settings_.Font.Color = StoredColor(view_->BodyColor());
  settings_.WordWrap = tbWordWrap_->isChecked();
  settings_.FilesViewHeight = view_->FilesViewHeight();
}

void TMainForm::ApplySettings() {
  timer1_.SetInterval(settings_.Interval);
  view_->SetBodyFont(config::ToQFont(settings_.Font));
  view_->SetBodyColor(config::ToQColor(settings_.Font.Color, palette()));
  tbWordWrap_->setChecked(settings_.WordWrap);
  view_->SetWordWrap(settings_.WordWrap);
  view_->SetFilesViewHeight(settings_.FilesViewHeight);
}

void TMainForm::Wait(int milliseconds) { services_.Sleep(std::chrono::milliseconds(milliseconds)); }

}  // namespace app
