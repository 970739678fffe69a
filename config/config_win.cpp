#include "config/config_win.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QScopedValueRollback>
#include <QShowEvent>
#include <QSplitter>
#include <QTimeEdit>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>
#include <iterator>
#include <string>

#include "config/account_rules.h"
#include "config/autostart_entry.h"
#include "config/check_list_box.h"
#include "config/connection_test.h"
#include "config/hover_controls.h"
#include "config/keyring_passwords.h"
#include "config/provider_presets.h"
#include "desktop/busy_cursor.h"
#include "desktop/exception_text.h"
#include "desktop/form_placement_reg.h"
#include "desktop/message_boxes.h"
#include "desktop/qt_text.h"
#include "mail/pop3_session.h"
#include "platform/cp1251.h"
#include "platform/posix_tcp_client.h"
#include "platform/throttled_event_pump.h"

namespace config {

namespace {

using text::operator""_cp1251;

constexpr QSize kClientSize(497, 219);
constexpr int kListWidth = 182;
constexpr const char* kListWidthValue = "CLBServersWidth";

// The combo box's entries, in the order of its items.
constexpr platform::Security kSecurities[] = {platform::Security::None, platform::Security::Tls,
                                               platform::Security::StartTls};

int DefaultPort(platform::Security security) { return security == platform::Security::Tls ? 995 : 110; }

int SecurityIndex(platform::Security security) {
  return static_cast<int>(std::find(std::begin(kSecurities), std::end(kSecurities), security) -
                          std::begin(kSecurities));
}

// "%s (%s)" of host and user name.
QString EntryText(const TServer& account) {
  return desktop::ToQString(account.Host + " (" + account.UserId + ")");
}

QPushButton* Button(const QString& text, const char* name, QWidget* parent) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setAutoDefault(false);  // neither Enter nor Esc presses a button of this dialog
  return button;
}

QLineEdit* Edit(const char* name, QWidget* parent) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(QString::fromLatin1(name));
  return edit;
}

THoverCheckBox* CheckBox(const QString& text, const char* name, QWidget* parent) {
  auto* box = new THoverCheckBox(text, parent);
  box->setObjectName(QString::fromLatin1(name));
  return box;
}

QGroupBox* Group(const QString& title, const char* name, QWidget* parent) {
  auto* group = new QGroupBox(title, parent);
  group->setObjectName(QString::fromLatin1(name));
  return group;
}

// Hidden until the dialog finds no keyring; its line is kept while hidden, as the dialog's height is fixed.
QLabel* NewPasswordsNote(QWidget* parent) {
  auto* note = new QLabel(QStringLiteral("Пароли хранятся в файле настроек: связка ключей недоступна"), parent);
  note->setObjectName(QStringLiteral("PasswordsNote"));
  note->setToolTip(note->text());
  QSizePolicy policy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  policy.setRetainSizeWhenHidden(true);
  note->setSizePolicy(policy);
  note->hide();
  return note;
}

}  // namespace

TConfigWin::TConfigWin(TAccountList& serverList, desktop::MessageBoxes& messageBoxes, QWidget* owner,
                       platform::RegistryOpener registryOpener, std::unique_ptr<platform::TcpClient> connection,
                       platform::Keyring* keyring)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      serverList_(serverList),
      messageBoxes_(messageBoxes),
      keyring_(keyring) {
  setWindowTitle(QStringLiteral("Tessaro (настройка)"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(CreateServerPanel());
  layout->addWidget(CreateOptions());
  layout->activate();
  // Only the width can change: every resize keeps the height the content needs.
  resize(kClientSize.expandedTo(minimumSizeHint()));
  setFixedHeight(height());
  okBtn_->setFocus();

  CreateSession(std::move(connection));
  CreatePlacement(std::move(registryOpener));
  ConnectHandlers();
}

// The working accounts go with the dialog, whichever way it closed.
TConfigWin::~TConfigWin() = default;

QWidget* TConfigWin::CreateServerPanel() {
  QGroupBox* group = Group(QStringLiteral(" Сервер "), "GroupBoxServer", this);
  clbServers_ = new TCheckListBox(group);
  clbServers_->setObjectName(QStringLiteral("CLBServers"));
  clbServers_->setMinimumWidth(1);

  auto* fields = new QWidget(group);
  host_ = Edit("Host", fields);
  userId_ = Edit("UserId", fields);
  passwd_ = Edit("Passwd", fields);
  passwd_->setEchoMode(QLineEdit::Password);
  passwd_->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));  // "*"
  security_ = new QComboBox(fields);
  security_->setObjectName(QStringLiteral("Security"));
  security_->addItems({QStringLiteral("нет"), QStringLiteral("SSL/TLS"), QStringLiteral("STLS")});
  passwordCommand_ = Edit("PasswordCommand", fields);
  preset_ = new QComboBox(fields);
  preset_->setObjectName(QStringLiteral("Preset"));
  preset_->addItem(QStringLiteral("вручную"));
  for (const ProviderPreset& preset : ProviderPresets())
    preset_->addItem(QString::fromUtf8(preset.name.data(), static_cast<qsizetype>(preset.name.size())));
  preset_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  preset_->setMinimumContentsLength(10);
  presetNote_ = new QLabel(fields);
  presetNote_->setObjectName(QStringLiteral("PresetNote"));
  // One line that never widens the dialog; the whole text is its tip.
  presetNote_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  login_ = new QComboBox(fields);
  login_->setObjectName(QStringLiteral("Login"));
  login_->addItems({QStringLiteral("USER/PASS"), QStringLiteral("APOP"), QStringLiteral("SASL PLAIN"),
                    QStringLiteral("OAuth 2.0 (XOAUTH2)"), QStringLiteral("OAuth 2.0 (OAUTHBEARER)")});
  // Its longest name must not widen the fields past the dialog's design width.
  login_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  login_->setMinimumContentsLength(10);
  port_ = Edit("Port", fields);
  // 1 to 65535 without leading zeros; only an empty field is no port yet.
  const QRegularExpression ports(
      QStringLiteral("(6553[0-5]|655[0-2]\\d|65[0-4]\\d\\d|6[0-4]\\d{3}|[1-5]\\d{4}|[1-9]\\d{0,3})?"));
  port_->setValidator(new QRegularExpressionValidator(ports, port_));
  btnNew_ = Button(QStringLiteral("Новый"), "BtnNew", fields);
  btnDelete_ = Button(QStringLiteral("Удалить"), "BtnDelete", fields);
  btnTest_ = Button(QStringLiteral("Проверка"), "BtnTest", fields);

  auto* grid = new QGridLayout(fields);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->addWidget(new THoverLabel(QStringLiteral("Сервер:"), host_, fields), 0, 0);
  grid->addWidget(host_, 0, 1);
  grid->addWidget(btnNew_, 0, 2);
  grid->addWidget(new THoverLabel(QStringLiteral("Пользователь:"), userId_, fields), 1, 0);
  grid->addWidget(userId_, 1, 1);
  grid->addWidget(btnDelete_, 1, 2);
  grid->addWidget(new THoverLabel(QStringLiteral("Пароль:"), passwd_, fields), 2, 0);
  grid->addWidget(passwd_, 2, 1);
  grid->addWidget(btnTest_, 2, 2);
  grid->addWidget(new THoverLabel(QStringLiteral("Защита:"), security_, fields), 3, 0);
  auto* connection = new QHBoxLayout;
  connection->addWidget(security_, 1);
  connection->addWidget(new THoverLabel(QStringLiteral("Порт:"), port_, fields));
  connection->addWidget(port_, 1);
  grid->addLayout(connection, 3, 1);
  grid->addWidget(new THoverLabel(QStringLiteral("Вход:"), login_, fields), 4, 0);
  grid->addWidget(login_, 4, 1);
  grid->addWidget(new THoverLabel(QStringLiteral("Команда пароля:"), passwordCommand_, fields), 5, 0);
  grid->addWidget(passwordCommand_, 5, 1);
  grid->addWidget(new THoverLabel(QStringLiteral("Настройки для:"), preset_, fields), 6, 0);
  grid->addWidget(preset_, 6, 1);
  grid->addWidget(presetNote_, 7, 0, 1, 3);
  passwordsNote_ = NewPasswordsNote(fields);
  grid->addWidget(passwordsNote_, 8, 0, 1, 3);

  splitter_ = new QSplitter(Qt::Horizontal, group);
  splitter_->setObjectName(QStringLiteral("Splitter1"));
  splitter_->setChildrenCollapsible(false);
  splitter_->addWidget(clbServers_);
  splitter_->addWidget(fields);
  splitter_->setStretchFactor(0, 0);  // a wider window widens the fields, not the list
  splitter_->setStretchFactor(1, 1);
  splitter_->setSizes({kListWidth, kClientSize.width() - kListWidth});

  auto* layout = new QHBoxLayout(group);
  layout->addWidget(splitter_);
  return group;
}

QWidget* TConfigWin::CreateOptions() {
  auto* options = new QWidget(this);

  QGroupBox* notices = Group(QStringLiteral(" Оповещение "), "GroupBoxOpov", options);
  showMain_ = CheckBox(QStringLiteral("основное окно"), "ShowMain", notices);
  showDialog_ = CheckBox(QStringLiteral("диалоговое окно"), "ShowDialog", notices);
  showSound_ = CheckBox(QStringLiteral("звуковое сопровождение"), "ShowSound", notices);
  showNotify_ = CheckBox(QStringLiteral("системное уведомление"), "ShowNotify", notices);
  auto* noticesLayout = new QVBoxLayout(notices);
  noticesLayout->addWidget(showMain_);
  noticesLayout->addWidget(showDialog_);
  noticesLayout->addWidget(showSound_);
  noticesLayout->addWidget(showNotify_);

  QGroupBox* update = Group(QStringLiteral(" Обновление "), "GroupBoxObn", options);
  time_ = new QTimeEdit(update);
  time_->setObjectName(QStringLiteral("Time"));
  time_->setDisplayFormat(QStringLiteral("HH:mm:ss"));
  cacheMessages_ = CheckBox(QStringLiteral("Не загружать повторно полученные письма"), "CacheMessages", update);
  auto* timeLayout = new QHBoxLayout;
  timeLayout->addWidget(new THoverLabel(QStringLiteral("Время:"), time_, update));
  timeLayout->addWidget(time_);
  timeLayout->addStretch();
  auto* updateLayout = new QVBoxLayout(update);
  updateLayout->addLayout(timeLayout);
  updateLayout->addWidget(cacheMessages_);

  okBtn_ = Button(QStringLiteral("OK"), "OkBtn", options);
  cancelBtn_ = Button(QStringLiteral("Отмена"), "CancelBtn", options);
  auto* buttons = new QVBoxLayout;
  buttons->addStretch();
  buttons->addWidget(okBtn_);
  buttons->addWidget(cancelBtn_);

  QGroupBox* confirmations = Group(QStringLiteral(" Подтверждение "), "GroupBoxConf", options);
  deleteConf_ = CheckBox(QStringLiteral("Удаление письма"), "DeleteConf", confirmations);
  showConfig_ = CheckBox(QStringLiteral("Не отображать это окно при следующем запуске"), "ShowConfig", confirmations);
  startAtLogin_ = CheckBox(QStringLiteral("Запускать при входе в систему"), "StartAtLogin", confirmations);
  // A row of its own keeps the dialog's width.
  auto* confirmationsLayout = new QHBoxLayout;
  confirmationsLayout->addWidget(deleteConf_);
  confirmationsLayout->addWidget(showConfig_);
  confirmationsLayout->addStretch();
  auto* confirmationsRows = new QVBoxLayout(confirmations);
  confirmationsRows->addLayout(confirmationsLayout);
  confirmationsRows->addWidget(startAtLogin_);

  auto* row = new QHBoxLayout;
  row->addWidget(notices);
  row->addWidget(update, 0, Qt::AlignTop);
  row->addStretch();
  row->addLayout(buttons);
  auto* layout = new QVBoxLayout(options);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addLayout(row);
  layout->addWidget(confirmations);
  return options;
}

void TConfigWin::CreateSession(std::unique_ptr<platform::TcpClient> connection) {
  if (!connection) connection = std::make_unique<platform::PosixTcpClient>();
  // The session serves the dialog's events while it waits, as the check pass does.
  kelPOP1_ = std::make_unique<mail::TKelPOP>(
      std::move(connection),
      platform::ThrottledEventPump([] { QCoreApplication::processEvents(); }));
  kelPOP1_->ErrorInFormatOfMsg = "Ошибочный формат сообщения!"_cp1251;
  kelPOP1_->DecodeProgressStep = 10;
  kelPOP1_->RetrieveProgressStep = 10;
}

void TConfigWin::CreatePlacement(platform::RegistryOpener registryOpener) {
  formPlacementReg1_ = std::make_unique<desktop::TFormPlacementReg>(*this, std::move(registryOpener));
  formPlacementReg1_->OnSavePlacement = [this](desktop::TFormPlacementReg&) { FormPlacementReg1SavePlacement(); };
  formPlacementReg1_->OnRestorePlacement = [this](desktop::TFormPlacementReg&) {
    FormPlacementReg1RestorePlacement();
  };
  formPlacementReg1_->OnError = [this](desktop::TFormPlacementReg&, const std::string& message) {
    messageBoxes_.Error(this, desktop::ToQString(message));
  };
}

void TConfigWin::ConnectHandlers() {
  connect(clbServers_, &TCheckListBox::Click, this, &TConfigWin::CLBServersClick);
  connect(clbServers_, &TCheckListBox::ClickCheck, this, &TConfigWin::CLBServersClickCheck);
  connect(btnNew_, &QPushButton::clicked, this, &TConfigWin::BtnNewClick);
  connect(btnDelete_, &QPushButton::clicked, this, &TConfigWin::BtnDeleteClick);
  connect(btnTest_, &QPushButton::clicked, this, [this] { RunGuarded(&TConfigWin::BtnTestClick); });
  connect(host_, &QLineEdit::textEdited, this, &TConfigWin::HostChange);
  connect(userId_, &QLineEdit::textEdited, this, &TConfigWin::UserIdChange);
  connect(passwd_, &QLineEdit::textEdited, this, &TConfigWin::PasswdChange);
  connect(security_, &QComboBox::activated, this, &TConfigWin::SecurityChange);
  connect(port_, &QLineEdit::textEdited, this, &TConfigWin::PortChange);
  connect(login_, &QComboBox::activated, this, &TConfigWin::LoginChange);
  connect(passwordCommand_, &QLineEdit::textEdited, this, &TConfigWin::PasswordCommandChange);
  connect(preset_, &QComboBox::activated, this, &TConfigWin::PresetChange);
  connect(okBtn_, &QPushButton::clicked, this, &TConfigWin::OkBtnClick);
  connect(cancelBtn_, &QPushButton::clicked, this, &QDialog::reject);
}

void TConfigWin::showEvent(QShowEvent* event) {
  // The placement component has restored the list width by now.
  if (!event->spontaneous()) FormShow();
  QDialog::showEvent(event);
}

void TConfigWin::keyPressEvent(QKeyEvent* event) {
  // Esc does not cancel; only "Отмена" and the close box do.
  if (event->matches(QKeySequence::Cancel)) {
    event->ignore();
    return;
  }
  QDialog::keyPressEvent(event);
}

void TConfigWin::FormShow() {
  keptIndex_ = -1;
  accounts_.clear();
  clbServers_->clear();
  startAtLogin_->setChecked(AutostartEntryExists());
  passwordsNote_->setVisible(!keyring_ || !keyring_->Available());
  for (const TServer& account : serverList_) AddEntry(account);
  if (!accounts_.empty()) {
    clbServers_->setCurrentRow(0);
    keptIndex_ = Selected();
  }
  ShowSelected();
}

void TConfigWin::UpdateButtons() {
  const int selected = Selected();
  const bool complete = selected < 0 || IsComplete(accounts_[static_cast<std::size_t>(selected)]);
  btnNew_->setEnabled(complete);
  btnDelete_->setEnabled(selected >= 0);
  btnTest_->setEnabled(selected >= 0 && complete);
  okBtn_->setEnabled(complete);
}

void TConfigWin::ShowSelected() {
  const int selected = Selected();
  const bool any = selected >= 0;
  const TServer shown = any ? accounts_[static_cast<std::size_t>(selected)] : TServer();
  host_->setText(desktop::ToQString(shown.Host));
  userId_->setText(desktop::ToQString(shown.UserId));
  passwd_->setText(desktop::ToQString(shown.Passwd));
  security_->setCurrentIndex(SecurityIndex(shown.Security));
  port_->setText(QString::number(shown.Port));
  login_->setCurrentIndex(static_cast<int>(shown.Login));
  passwordCommand_->setText(desktop::ToQString(shown.PasswordCommand));
  host_->setEnabled(any);
  userId_->setEnabled(any);
  passwd_->setEnabled(any);
  security_->setEnabled(any);
  port_->setEnabled(any);
  login_->setEnabled(any);
  passwordCommand_->setEnabled(any);
  preset_->setCurrentIndex(0);
  preset_->setEnabled(any);
  presetNote_->clear();
  presetNote_->setToolTip(QString());
  UpdateButtons();
}

void TConfigWin::CLBServersClick() {
  if (Enabled(okBtn_))
    keptIndex_ = Selected();
  else
    clbServers_->setCurrentRow(keptIndex_);
  ShowSelected();
}

void TConfigWin::CLBServersClickCheck() {
  const int selected = Selected();
  if (!Enabled(btnNew_))
    clbServers_->setCurrentRow(keptIndex_);
  else if (selected >= 0)
    accounts_[static_cast<std::size_t>(selected)].Checked = clbServers_->Checked(selected);
  UpdateButtons();
  // Undoes on screen every toggle that was not taken over.
  for (int row = 0; row < clbServers_->count(); ++row)
    clbServers_->SetChecked(row, accounts_[static_cast<std::size_t>(row)].Checked);
}

void TConfigWin::BtnNewClick() {
  UpdateButtons();
  if (!Enabled(btnNew_)) return;
  AddEntry(TServer());
  clbServers_->setCurrentRow(clbServers_->count() - 1);
  keptIndex_ = Selected();
  ShowSelected();
}

void TConfigWin::BtnDeleteClick() {
  UpdateButtons();
  if (!Enabled(btnDelete_)) return;
  const int selected = Selected();
  accounts_.erase(accounts_.begin() + selected);
  delete clbServers_->takeItem(selected);
  clbServers_->setCurrentRow(std::min(selected, clbServers_->count() - 1));
  keptIndex_ = Selected();
  ShowSelected();
}

void TConfigWin::BtnTestClick() {
  UpdateButtons();
  // A test already waiting for its server lets events through, this click among them.
  if (!Enabled(btnTest_) || testRunning_) return;
  const auto tested = static_cast<std::size_t>(Selected());
  const TServer account = accounts_[tested];
  TConnectionTestResult result;
  {
    const QScopedValueRollback running(testRunning_, true);
    const desktop::BusyScope busy;
    result = TestConnection(*kelPOP1_, account);
  }
  messageBoxes_.Information(this, desktop::ToQString(result.Report));
  if (!result.UntrustedCertSha256.empty() &&
      messageBoxes_.Confirm(this, desktop::ToQString(TrustQuestion(result.UntrustedCertSha256, result.Problem))))
    TrustCertificate(account, result.UntrustedCertSha256);
}

// The list may have changed while the test waited: the pin goes to the
// account that was tested, if it is still there.
void TConfigWin::TrustCertificate(const TServer& tested, const std::string& sha256) {
  for (TServer& account : accounts_)
    if (account.Host == tested.Host && account.UserId == tested.UserId) {
      account.CertSha256 = sha256;
      return;
    }
}

void TConfigWin::HostChange() {
  const int selected = Selected();
  if (selected >= 0) {
    accounts_[static_cast<std::size_t>(selected)].Host = desktop::FromQString(host_->text());
    ShowEntry(selected);
  }
  UpdateButtons();
}

void TConfigWin::UserIdChange() {
  const int selected = Selected();
  if (selected >= 0) {
    accounts_[static_cast<std::size_t>(selected)].UserId = desktop::FromQString(userId_->text());
    ShowEntry(selected);
  }
  UpdateButtons();
}

void TConfigWin::PasswdChange() {
  const int selected = Selected();
  if (selected >= 0) {
    TServer& account = accounts_[static_cast<std::size_t>(selected)];
    account.Passwd = desktop::FromQString(passwd_->text());
    account.PasswdKeyringKey.clear();  // the keyring's entry is old now
    account.PasswdUnread = false;
  }
  UpdateButtons();
}

void TConfigWin::SecurityChange() {
  const int selected = Selected();
  const int index = security_->currentIndex();
  if (selected < 0 || index < 0) return;
  TServer& account = accounts_[static_cast<std::size_t>(selected)];
  const platform::Security chosen = kSecurities[index];
  if (account.Port == DefaultPort(account.Security)) {
    account.Port = DefaultPort(chosen);
    port_->setText(QString::number(account.Port));
  }
  account.Security = chosen;
}

void TConfigWin::LoginChange() {
  const int selected = Selected();
  const int index = login_->currentIndex();
  if (selected < 0 || index < 0) return;
  accounts_[static_cast<std::size_t>(selected)].Login = static_cast<mail::LoginMethod>(index);
}

void TConfigWin::PasswordCommandChange() {
  const int selected = Selected();
  if (selected < 0) return;
  accounts_[static_cast<std::size_t>(selected)].PasswordCommand = desktop::FromQString(passwordCommand_->text());
}

// A provider's settings go into the account once, when chosen; what is typed afterwards stays.
void TConfigWin::PresetChange() {
  const int selected = Selected();
  const int index = preset_->currentIndex();
  if (selected < 0 || index < 1) return;
  const ProviderPreset& preset = ProviderPresets()[static_cast<std::size_t>(index - 1)];
  TServer& account = accounts_[static_cast<std::size_t>(selected)];
  account.Host = std::string(preset.host);
  account.Security = preset.security;
  account.Port = preset.port;
  account.Login = preset.login;
  ShowSelected();
  ShowEntry(selected);
  UpdateButtons();
  preset_->setCurrentIndex(index);
  const QString note = QString::fromUtf8(preset.note.data(), static_cast<qsizetype>(preset.note.size()));
  presetNote_->setText(note);
  presetNote_->setToolTip(note);
}

void TConfigWin::PortChange() {
  const int selected = Selected();
  bool number = false;
  const int port = port_->text().toInt(&number);
  if (selected >= 0 && number && port >= 1 && port <= 65535) accounts_[static_cast<std::size_t>(selected)].Port = port;
}

void TConfigWin::OkBtnClick() {
  UpdateButtons();
  if (!Enabled(okBtn_)) return;
  if (HasCheckedDuplicates(accounts_)) {
    messageBoxes_.Error(this, QStringLiteral("Включены серверы с совподающими именами серверов и пользователей!"));
    return;
  }
  StoreInKeyring();
  serverList_ = accounts_;
  ApplyStartAtLogin();
  accept();
}

// What the keyring does not confirm stays in the file; entries go only after the writes.
void TConfigWin::StoreInKeyring() {
  if (!keyring_) return;
  const desktop::BusyScope busy;
  StorePasswords(accounts_, *keyring_);
  RemoveDroppedPasswords(serverList_, accounts_, *keyring_);
}

// Only a changed box touches the file, so an entry the user wrote by hand stays.
void TConfigWin::ApplyStartAtLogin() {
  const bool wanted = startAtLogin_->isChecked();
  if (wanted == AutostartEntryExists() || SetAutostartEntry(wanted)) return;
  messageBoxes_.Error(this, QStringLiteral("Не удалось изменить автозапуск: ") + AutostartEntryPath());
}

void TConfigWin::FormPlacementReg1SavePlacement() {
  desktop::TFormPlacementReg& placement = *formPlacementReg1_;
  placement.RegIniFile()->WriteInteger(placement.Section(), kListWidthValue, clbServers_->width());
}

void TConfigWin::FormPlacementReg1RestorePlacement() {
  desktop::TFormPlacementReg& placement = *formPlacementReg1_;
  SetListWidth(placement.RegIniFile()->ReadInteger(placement.Section(), kListWidthValue, clbServers_->width()));
}

int TConfigWin::Selected() const { return clbServers_->currentRow(); }

// The buttons' own state, whatever the windows around the dialog do.
bool TConfigWin::Enabled(const QWidget* control) const { return control->isEnabledTo(this); }

void TConfigWin::AddEntry(const TServer& account) {
  accounts_.push_back(account);
  clbServers_->AddEntry(EntryText(account), account.Checked);
}

void TConfigWin::ShowEntry(int row) {
  const TServer& account = accounts_[static_cast<std::size_t>(row)];
  clbServers_->item(row)->setText(EntryText(account));
  clbServers_->SetChecked(row, account.Checked);
}

void TConfigWin::SetListWidth(int width) {
  const QList<int> sizes = splitter_->sizes();
  const int total = sizes[0] + sizes[1];
  const int list = std::max(width, 1);
  splitter_->setSizes({list, std::max(total - list, 0)});
}

// Raises nothing into Qt's event dispatch: what a handler raises is shown in
// an error box, as the application shows every error that ends a command.
void TConfigWin::RunGuarded(void (TConfigWin::*handler)()) {
  try {
    (this->*handler)();
  } catch (const std::exception& error) {
    messageBoxes_.Error(this, desktop::ExceptionText(error));
  }
}

}  // namespace config
