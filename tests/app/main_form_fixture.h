// The main window under test: its settings in a temporary folder, message
// boxes that the test answers, waits that are only recorded, no sound device,
// scripted POP3 peers built from raw messages, and a session that deletes
// behind the window's back.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QString>
#include <QTemporaryDir>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/window/main_form.h"
#include "config/main_settings.h"
#include "desktop/message_boxes.h"
#include "desktop/qor_status_bar.h"
#include "mail/pop3_session.h"
#include "platform/ini_registry_store.h"
#include "platform/posix_tcp_client.h"
#include "platform/seen_ids_store.h"
#include "tests/support/fake_message_boxes.h"
#include "tests/support/fake_pop3_server.h"
#include "tests/support/local_session.h"
#include "tests/support/pop3_replies.h"
#include "tests/support/qt_environment.h"

namespace testsupport {

// "From", "Subject" and "Date" header lines, a blank line and the body, with CR LF.
inline std::string Message(const std::string& from, const std::string& subject, const std::string& body) {
  return "From: " + from + "\r\nSubject: " + subject + "\r\nDate: Mon, 1 Jan 2024 10:00:00 +0300\r\n\r\n" + body +
         "\r\n";
}

// The TOP n 0 reply: the header lines and the blank line after them.
inline std::string TopReply(const std::string& message) {
  return MultiLineReply("+OK", message.substr(0, message.find("\r\n\r\n") + 4));
}

// The header block a pass stamps on a message as TopHeaders.
inline std::string TopHeaders(const std::string& message) {
  return message.substr(0, message.find("\r\n\r\n") + 4) + ".\r\n";
}

inline std::vector<Step> LoginSteps(const std::string& user = "bob", const std::string& password = "secret") {
  return {Server("+OK ready\r\n"), Client("USER " + user + "\r\n"), Server("+OK\r\n"),
          Client("PASS " + password + "\r\n"), Server("+OK logged in\r\n")};
}

// Before the downloads the pass asks once what the server supports; this one
// lists no pipelining, so every command waits for its reply.
inline Step CapaStep() { return Client("CAPA\r\n"); }
inline Step CapaReply() { return Server("+OK\r\nTOP\r\nUSER\r\nUIDL\r\n.\r\n"); }

// The UIDL reply giving message n the id "uid-n".
inline std::string UidlReply(std::size_t count) {
  std::string ids;
  for (std::size_t n = 1; n <= count; ++n) ids += std::to_string(n) + " uid-" + std::to_string(n) + "\r\n";
  return MultiLineReply("+OK", ids);
}

// One whole account's turn in a pass: login, STAT, LAST with `lastReply`
// (when refused, UIDL with `uidlReply`, by default UidlReply), CAPA, every
// message by LIST, RETR and TOP, then QUIT.
inline std::vector<Step> PassScript(const std::vector<std::string>& messages, const std::string& lastReply,
                                    const std::string& uidlReply = {}) {
  std::vector<Step> script = LoginSteps();
  script.push_back(Client("STAT\r\n"));
  script.push_back(Server("+OK " + std::to_string(messages.size()) + " 1000\r\n"));
  script.push_back(Client("LAST\r\n"));
  script.push_back(Server(lastReply));
  if (lastReply.starts_with("-ERR")) {
    script.push_back(Client("UIDL\r\n"));
    script.push_back(Server(uidlReply.empty() ? UidlReply(messages.size()) : uidlReply));
  }
  script.insert(script.end(), {CapaStep(), CapaReply()});
  for (std::size_t i = 0; i < messages.size(); ++i) {
    const std::string n = std::to_string(i + 1);
    script.push_back(Client("LIST " + n + "\r\n"));
    script.push_back(Server("+OK " + n + " " + std::to_string(messages[i].size()) + "\r\n"));
    script.push_back(Client("RETR " + n + "\r\n"));
    script.push_back(Server(RetrReply(messages[i])));
    script.push_back(Client("TOP " + n + " 0\r\n"));
    script.push_back(Server(TopReply(messages[i])));
  }
  script.push_back(Client("QUIT\r\n"));
  script.push_back(Server("+OK bye\r\n"));
  return script;
}

// Deletes message `number` of `user` with a session of its own, as another mail program would.
inline void DeleteElsewhere(int port, const std::string& user, const std::string& password, std::uint32_t number) {
  const auto session = MakeLocalSession(port, {.user = user, .password = password});
  session->Connect();
  ASSERT_TRUE(session->Login());
  session->CountNew();
  session->DeleteMsg(number);
  session->Quit();
}

// The settings store the window opens, counting when it closes how often it
// replaced its file.
class CountingSettingsStore : public platform::RegistryStore {
 public:
  CountingSettingsStore(const std::string& folder, const std::string& keyPath, int& replacements)
      : store_(folder, keyPath), replacements_(replacements) {}
  ~CountingSettingsStore() override { replacements_ += store_.FileReplacements(); }

  std::string ReadString(std::string_view section, std::string_view name,
                         std::string_view defaultValue) const override {
    return store_.ReadString(section, name, defaultValue);
  }
  void WriteString(std::string_view section, std::string_view name, std::string_view value) override {
    store_.WriteString(section, name, value);
  }
  void DeleteValue(std::string_view section, std::string_view name) override { store_.DeleteValue(section, name); }
  void BeginBatch() override { store_.BeginBatch(); }
  void CommitBatch() override { store_.CommitBatch(); }
  void AbandonBatch() override { store_.AbandonBatch(); }

 private:
  platform::IniRegistryStore store_;
  int& replacements_;
};

class MainFormTest : public ::testing::Test {
 protected:
  MainFormTest() {
    EXPECT_TRUE(settingsFolder_.isValid());
    Settings.ShowConfig = false;
  }

  ~MainFormTest() override {
    form_.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(Boxes->AllShown()) << "a message box the test announced never opened";
  }

  // Stores `Settings` (and its accounts) where the window will read them.
  void StoreSettings() {
    platform::IniRegistryStore store(SettingsFolder(), kKeyPath);
    config::SaveMainSettings(store, Settings);
  }

  std::string SettingsFolder() const { return settingsFolder_.path().toStdString(); }
  // Where the windows of one test keep the ids of the mail they have seen.
  std::string StateFolder() const { return SettingsFolder() + "/state/tessaro"; }
  std::string StoreFolder() const { return SettingsFolder() + "/cache/tessaro/messages"; }
  std::filesystem::path SettingsFile() const {
    return std::filesystem::path(SettingsFolder()) / "Software" / "tessaro.ini";
  }
  platform::IniRegistryStore StoredSettings() const { return platform::IniRegistryStore(SettingsFolder(), kKeyPath); }

  // The window over the stored settings, every account on `port`; FormCreate not yet run.
  app::TMainForm& MakeForm(int port) {
    for (config::TServer& account : Settings.AccountList) account.Port = port;
    StoreSettings();
    app::MainFormServices services;
    auto client = std::make_unique<platform::PosixTcpClient>();
    client->ConnectTimeoutMs = 5000;
    services.TcpClient = std::move(client);
    services.SeenIds = std::make_shared<platform::FileSeenIdsStore>(StateFolder());
    if (StoreMessages) services.Messages = std::make_shared<platform::FileMessageStore>(StoreFolder());
    services.MessageBoxes = Boxes;
    services.Sleep = [this](std::chrono::milliseconds duration) {
      Waits.push_back(static_cast<int>(duration.count()));
      StatusDuringWaits.push_back(form_->QorStatusBar1()->SimpleText().toStdString());
      TipDuringWaits.push_back(form_->NewTrayIcon1().Hint().toStdString());
    };
    const std::string folder = SettingsFolder();
    services.RegistryOpener = [this, folder](const std::string&) {
      return std::make_unique<CountingSettingsStore>(folder, kKeyPath, SettingsFileReplacements);
    };
    services.Keyring = Keyring;
    services.HasAudioOutput = [this] {
      ++SoundRequests;
      return false;
    };
    services.Attachments.AskSavePath = [](QWidget*, const QString&) { return std::optional<std::filesystem::path>(); };
    services.Attachments.OpenWithDesktop = [](const std::filesystem::path&) { return false; };
    services.Attachments.TempFolder = [folder] { return std::filesystem::path(folder); };
    services.OpenConfigDialog = [this](QWidget*, config::TAccountList& accounts, config::TMainSettings& settings,
                                       desktop::MessageBoxes&, platform::RegistryOpener, platform::Keyring*) {
      ++ConfigDialogsOpened;
      return ConfigDialog && ConfigDialog(accounts, settings);
    };
    services.TrayAvailable = [this] { return TrayAvailable; };
    services.Now = [this] { return Now; };
    form_ = std::make_unique<app::TMainForm>(std::move(services));
    form_->KelPOP2().ReplyTimeoutMs = 10000;
    return *form_;
  }

  app::TMainForm& Form() { return *form_; }

  // The subjects of the message list, in order.
  std::vector<std::string> Subjects() {
    std::vector<std::string> subjects;
    for (std::size_t i = 0; i < form_->KelMsgList2().Count(); ++i)
      subjects.push_back(form_->KelMsgList2().Items(i).Subject);
    return subjects;
  }

  static constexpr const char* kKeyPath = "Software\\tessaro";

  config::TMainSettings Settings;
  std::shared_ptr<FakeMessageBoxes> Boxes = std::make_shared<FakeMessageBoxes>(Unannounced::kFail);
  // Each blocking wait, with the status line and the tray tip while it lasted.
  std::vector<int> Waits;
  std::vector<std::string> StatusDuringWaits;
  std::vector<std::string> TipDuringWaits;
  int SoundRequests = 0;
  // Whether the window keeps messages on disk too when it keeps them between passes.
  bool StoreMessages = true;
  // How often the stores the window opened replaced the settings file.
  int SettingsFileReplacements = 0;
  bool TrayAvailable = true;
  // The clock the servers' login delays are counted by; a test moves it on.
  std::chrono::steady_clock::time_point Now{std::chrono::hours(1)};
  int ConfigDialogsOpened = 0;
  // Where the window keeps passwords; none: in the settings file.
  std::shared_ptr<platform::Keyring> Keyring;
  // What the user does in the configuration dialog; true for OK. None: Cancel.
  std::function<bool(config::TAccountList& accounts, config::TMainSettings& settings)> ConfigDialog;

 private:
  QTemporaryDir settingsFolder_;
  std::unique_ptr<app::TMainForm> form_;
};

}  // namespace testsupport
