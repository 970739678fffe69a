// Check passes of the main window against a real Dovecot server with a
// mailbox of a few hundred messages, a few of them with attachments of some
// MiB: a first pass downloads everything, a second one, with no new mail and
// messages kept between passes, only asks for unique ids. Each kind runs a
// few times (a pass with the option off is a first pass again) and the
// medians and their ratio are printed. The pause after each account is left
// out: it does not depend on what the pass downloads. A pass over an empty
// mailbox shows the part of any pass that no cache can save.
#include <QApplication>
#include <QString>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/main_form.h"
#include "bench/large_messages.h"
#include "config/main_settings.h"
#include "desktop/message_boxes.h"
#include "platform/ini_registry_store.h"
#include "platform/posix_tcp_client.h"
#include "platform/seen_ids_store.h"
#include "tests/support/dovecot_server.h"

namespace {

constexpr int kSmallMessages = 296;
constexpr int kLargeMessages = 4;
constexpr std::size_t kAttachmentBytes = 3 * 1024 * 1024;
constexpr const char* kKeyPath = "Software\\tessaro";
constexpr int kRuns = 5;

class PrintedMessageBoxes : public desktop::MessageBoxes {
 public:
  bool Confirm(QWidget*, const QString& text) override {
    Information(nullptr, text);
    return false;
  }
  void Error(QWidget*, const QString& text) override { Information(nullptr, text); }
  void Information(QWidget*, const QString& text) override {
    std::fprintf(stderr, "message box: %s\n", text.toStdString().c_str());
  }
};

std::vector<std::string> Mailbox() {
  std::vector<std::string> messages;
  for (int i = 1; i <= kSmallMessages; ++i) {
    std::string body;
    for (int line = 0; line < 40; ++line)
      body += "Line " + std::to_string(line) + " of message " + std::to_string(i) + ".\r\n";
    messages.push_back("From: anna@example.org\r\nSubject: message " + std::to_string(i) +
                       "\r\nDate: Mon, 1 Jan 2024 10:00:00 +0300\r\n\r\n" + body);
    if (i % (kSmallMessages / kLargeMessages) == 0)
      messages.push_back(bench::MessageWithBase64Attachment(kAttachmentBytes));
  }
  return messages;
}

app::MainFormServices Services(const std::string& folder) {
  app::MainFormServices services;
  services.TcpClient = std::make_unique<platform::PosixTcpClient>();
  services.SeenIds = std::make_shared<platform::FileSeenIdsStore>(folder + "/state");
  services.MessageBoxes = std::make_shared<PrintedMessageBoxes>();
  services.Sleep = [](std::chrono::milliseconds) {};
  services.RegistryOpener = [folder](const std::string&) {
    return std::make_unique<platform::IniRegistryStore>(folder, kKeyPath);
  };
  services.HasAudioOutput = [] { return false; };
  services.OpenConfigDialog = [](auto&&...) { return false; };
  services.TrayAvailable = [] { return true; };
  return services;
}

double TimedPass(app::TMainForm& form) {
  const auto start = std::chrono::steady_clock::now();
  form.TBRefreshClick();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The median of kRuns passes; with the option on, each after a pass that
// fills the cache. `complete` turns false when a pass missed a message.
double MedianPass(app::TMainForm& form, bool cacheMessages, std::size_t expected, bool& complete) {
  std::vector<double> times;
  for (int run = 0; run < kRuns; ++run) {
    form.Settings().CacheMessages = cacheMessages;
    if (cacheMessages) form.TBRefreshClick();  // the pass that fills the cache
    times.push_back(TimedPass(form));
    complete = complete && form.KelMsgList2().Count() == expected;
  }
  std::sort(times.begin(), times.end());
  return times[kRuns / 2];
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication application(argc, argv);
  QTemporaryDir folder;
  const std::vector<std::string> messages = Mailbox();
  testsupport::DovecotServer server({{"bob", "secret", messages}, {"empty", "secret", {}}});
  {
    // A first start with no account: the window comes up without a pass of substance.
    platform::IniRegistryStore store(folder.path().toStdString(), kKeyPath);
    config::TMainSettings settings;
    settings.ShowConfig = false;
    config::SaveMainSettings(store, settings);
  }
  app::TMainForm form(Services(folder.path().toStdString()));
  form.FormCreate();
  config::TServer account("127.0.0.1", "bob", "secret", true);
  account.Port = server.Port();
  form.AccountList() = {account};

  bool complete = true;
  // What any pass costs: connection, login, STAT, LAST, UIDL, QUIT.
  config::TServer empty("127.0.0.1", "empty", "secret", true);
  empty.Port = server.Port();
  form.AccountList() = {empty};
  const double emptyPass = MedianPass(form, true, 0, complete);
  form.AccountList() = {account};
  const double first = MedianPass(form, false, messages.size(), complete);
  const double second = MedianPass(form, true, messages.size(), complete);
  std::printf("mailbox: %zu messages, %d with a %zu-byte attachment; median of %d passes each\n", messages.size(),
              kLargeMessages, kAttachmentBytes, kRuns);
  std::printf("first pass:  %.3f s\n", first);
  std::printf("second pass: %.3f s\n", second);
  std::printf("ratio: %.4f\n", second / first);
  std::printf("pass over an empty mailbox: %.3f s\n", emptyPass);
  return complete ? EXIT_SUCCESS : EXIT_FAILURE;
}
