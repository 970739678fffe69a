// TConfigWin, the modal configuration dialog. It edits working copies of the
// opener's accounts in a check list, keeps the user from leaving an
// incomplete account selected, refuses two enabled accounts with the same
// server and user name, and only on OK replaces the opener's list with its
// copies. The options (check boxes and the check interval) are filled and
// read back by the opener (open_config_win.h). "Проверка" tries the selected
// account against its server with the dialog's own POP3 session. With a
// keyring, OK moves the passwords into it and removes the entries of deleted
// accounts (keyring_passwords.h); without one, or when none answers, a line
// of the account group says that passwords are kept in the settings file.
//
// Entry i of CLBServers carries working account i: its text is "Host (UserId)"
// and, once a toggle has been handled, its check mark is the account's Checked.
// KeptIndex is the last selection that was allowed to stand.
#pragma once

#include <QDialog>

#include <memory>
#include <string>
#include <vector>

#include "config/server.h"
#include "platform/ini_registry_store.h"
#include "platform/keyring.h"
#include "platform/registry_store.h"
#include "platform/tcp_client.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSplitter;
class QTimeEdit;

namespace desktop {
class MessageBoxes;
class TFormPlacementReg;
}  // namespace desktop

namespace mail {
class TKelPOP;
}

namespace config {

class TCheckListBox;

class TConfigWin : public QDialog {
  Q_OBJECT

 public:
  // `serverList` is the opener's list; it must outlive the dialog. The
  // placement and the list width are kept through `registryOpener`. The
  // connection test runs over `connection`, by default a real socket. The
  // keyring, when given, must outlive the dialog.
  TConfigWin(TAccountList& serverList, desktop::MessageBoxes& messageBoxes, QWidget* owner = nullptr,
             platform::RegistryOpener registryOpener = platform::IniRegistryOpener(),
             std::unique_ptr<platform::TcpClient> connection = nullptr, platform::Keyring* keyring = nullptr);
  ~TConfigWin() override;

  // Handlers, as the controls call them.
  void FormShow();
  void CLBServersClick();       // after the user moved the selection
  void CLBServersClickCheck();  // after the user toggled a check mark
  void BtnNewClick();
  void BtnDeleteClick();
  // Raises what the session's Login raises; the report is then not shown.
  void BtnTestClick();
  void HostChange();
  void UserIdChange();
  void PasswdChange();
  void SecurityChange();  // also moves a port that still holds the old choice's default
  void PortChange();      // a text that is no port yet leaves the account's port alone
  void LoginChange();
  void PasswordCommandChange();
  void PresetChange();
  void OkBtnClick();
  void FormPlacementReg1SavePlacement();
  void FormPlacementReg1RestorePlacement();

  void UpdateButtons();
  void ShowSelected();

  int KeptIndex() const { return keptIndex_; }
  const std::vector<TServer>& WorkingAccounts() const { return accounts_; }

  TCheckListBox* CLBServers() const { return clbServers_; }
  QSplitter* Splitter() const { return splitter_; }
  QPushButton* BtnNew() const { return btnNew_; }
  QPushButton* BtnDelete() const { return btnDelete_; }
  QPushButton* BtnTest() const { return btnTest_; }
  QLineEdit* Host() const { return host_; }
  QLineEdit* UserId() const { return userId_; }
  QLineEdit* Passwd() const { return passwd_; }
  QComboBox* Security() const { return security_; }  // "нет", "SSL/TLS", "STLS"
  QLineEdit* Port() const { return port_; }
  QComboBox* Login() const { return login_; }  // in the order of mail::LoginMethod
  QLineEdit* PasswordCommand() const { return passwordCommand_; }
  QComboBox* Preset() const { return preset_; }  // "вручную", then the providers in order
  QLabel* PresetNote() const { return presetNote_; }
  QLabel* PasswordsNote() const { return passwordsNote_; }  // shown while passwords stay in the file
  QCheckBox* ShowMain() const { return showMain_; }
  QCheckBox* ShowDialog() const { return showDialog_; }
  QCheckBox* ShowSound() const { return showSound_; }
  QCheckBox* ShowNotify() const { return showNotify_; }
  QCheckBox* DeleteConf() const { return deleteConf_; }
  QCheckBox* ShowConfig() const { return showConfig_; }
  QCheckBox* StartAtLogin() const { return startAtLogin_; }  // mirrors the autostart entry (autostart_entry.h)
  QTimeEdit* Time() const { return time_; }
  QCheckBox* CacheMessages() const { return cacheMessages_; }
  QPushButton* OkBtn() const { return okBtn_; }
  QPushButton* CancelBtn() const { return cancelBtn_; }
  mail::TKelPOP& KelPOP1() const { return *kelPOP1_; }
  desktop::TFormPlacementReg& FormPlacementReg1() const { return *formPlacementReg1_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QWidget* CreateServerPanel();
  QWidget* CreateOptions();
  void CreateSession(std::unique_ptr<platform::TcpClient> connection);
  void CreatePlacement(platform::RegistryOpener registryOpener);
  void ConnectHandlers();

  int Selected() const;
  bool Enabled(const QWidget* control) const;
  void AddEntry(const TServer& account);
  void ShowEntry(int row);
  void SetListWidth(int width);
  void RunGuarded(void (TConfigWin::*handler)());
  void StoreInKeyring();
  void ApplyStartAtLogin();
  void TrustCertificate(const TServer& tested, const std::string& sha256);

  TAccountList& serverList_;
  desktop::MessageBoxes& messageBoxes_;
  platform::Keyring* keyring_;
  std::vector<TServer> accounts_;  // the working accounts, one per list entry
  int keptIndex_ = -1;
  bool testRunning_ = false;

  TCheckListBox* clbServers_ = nullptr;
  QSplitter* splitter_ = nullptr;
  QPushButton* btnNew_ = nullptr;
  QPushButton* btnDelete_ = nullptr;
  QPushButton* btnTest_ = nullptr;
  QLineEdit* host_ = nullptr;
  QLineEdit* userId_ = nullptr;
  QLineEdit* passwd_ = nullptr;
  QComboBox* security_ = nullptr;
  QLineEdit* port_ = nullptr;
  QComboBox* login_ = nullptr;
  QLineEdit* passwordCommand_ = nullptr;
  QComboBox* preset_ = nullptr;
  QLabel* presetNote_ = nullptr;
  QLabel* passwordsNote_ = nullptr;
  QCheckBox* showMain_ = nullptr;
  QCheckBox* showDialog_ = nullptr;
  QCheckBox* showSound_ = nullptr;
  QCheckBox* showNotify_ = nullptr;
  QCheckBox* deleteConf_ = nullptr;
  QCheckBox* showConfig_ = nullptr;
  QCheckBox* startAtLogin_ = nullptr;
  QTimeEdit* time_ = nullptr;
  QCheckBox* cacheMessages_ = nullptr;
  QPushButton* okBtn_ = nullptr;
  QPushButton* cancelBtn_ = nullptr;

  std::unique_ptr<mail::TKelPOP> kelPOP1_;
  // Last: its destructor may still save, reading the list's width.
  std::unique_ptr<desktop::TFormPlacementReg> formPlacementReg1_;
};

}  // namespace config
