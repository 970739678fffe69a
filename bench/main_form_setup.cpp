#include "bench/main_form_setup.h"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iostream>
#include <sstream>

#include "config/main_settings.h"
#include "platform/freed_memory.h"
#include "platform/ini_registry_store.h"
#include "platform/posix_tcp_client.h"
#include "platform/seen_ids_store.h"
#include "tests/support/fake_message_boxes.h"

namespace bench {

namespace {

constexpr const char* kKeyPath = "Software\\tessaro";

// Printed instead of waiting for an answer; a question is answered as if cancelled.
std::shared_ptr<testsupport::FakeMessageBoxes> PrintedMessageBoxes() {
  auto boxes = std::make_shared<testsupport::FakeMessageBoxes>();
  boxes->ConfirmAnswer = false;
  boxes->Echo = &std::cerr;
  return boxes;
}

app::MainFormServices Services(const std::string& folder) {
  app::MainFormServices services;
  services.TcpClient = std::make_unique<platform::PosixTcpClient>();
  services.SeenIds = std::make_shared<platform::FileSeenIdsStore>(folder + "/state");
  services.Messages = std::make_shared<platform::FileMessageStore>(folder + "/messages");
  services.MessageBoxes = PrintedMessageBoxes();
  services.Sleep = [](std::chrono::milliseconds) {};
  services.RegistryOpener = [folder](const std::string&) {
    return std::make_unique<platform::IniRegistryStore>(folder, kKeyPath);
  };
  services.HasAudioOutput = [] { return false; };
  services.OpenConfigDialog = [](auto&&...) { return false; };
  services.TrayAvailable = [] { return true; };
  return services;
}

}  // namespace

std::unique_ptr<app::TMainForm> StartMainForm(const std::string& folder, bool keepMessages) {
  platform::KeepFreedMemoryForReuse();  // as the program's own start does
  {
    // With no account, starting the window makes no pass of substance.
    platform::IniRegistryStore store(folder, kKeyPath);
    config::TMainSettings settings;
    settings.ShowConfig = false;
    settings.CacheMessages = keepMessages;
    config::SaveMainSettings(store, settings);
  }
  auto form = std::make_unique<app::TMainForm>(Services(folder));
  form->FormCreate();
  return form;
}

config::TServer LocalAccount(const std::string& user, int port) {
  config::TServer account("127.0.0.1", user, "secret", true);
  account.Port = port;
  return account;
}

std::vector<std::string> ReadMaildir(const std::filesystem::path& maildir) {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(maildir / "cur")) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  std::vector<std::string> messages;
  for (const auto& file : files) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    messages.push_back(text.str());
  }
  return messages;
}

}  // namespace bench
