// Check passes of the main window against a real Dovecot server with a
// mailbox of a few hundred messages, a few of them with attachments of some
// MiB: a first pass downloads everything, a second one, with no new mail and
// messages kept between passes, only asks for unique ids. Each kind runs a
// few times (a pass with the option off is a first pass again) and the
// medians and their ratio are printed; then the first pass of a restarted
// window, which finds the messages in the store on disk. The pause after each account is left
// out: it does not depend on what the pass downloads. A pass over an empty
// mailbox shows the part of any pass that no cache can save.
//
// usage: cache_pass_bench [MAILDIR]   (without one, a mailbox of its own)
#include <QApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/window/main_form.h"
#include "bench/large_messages.h"
#include "bench/main_form_setup.h"
#include "config/server.h"
#include "tests/support/dovecot_server.h"

namespace {

constexpr int kSmallMessages = 296;
constexpr int kLargeMessages = 4;
constexpr std::size_t kAttachmentBytes = 3 * 1024 * 1024;
constexpr int kRuns = 5;

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

double TimedPass(app::TMainForm& form) {
  const auto start = std::chrono::steady_clock::now();
  form.TBRefreshClick();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> times) {
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
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
  return Median(std::move(times));
}

// The first pass of a restarted window: nothing in its memory, the messages
// of the passes before in the store on disk below `folder`.
double MedianRestartPass(const std::string& folder, const config::TServer& account, std::size_t expected,
                         bool& complete) {
  std::vector<double> times;
  for (int run = 0; run < kRuns; ++run) {
    const std::unique_ptr<app::TMainForm> form = bench::StartMainForm(folder, true);
    form->AccountList() = {account};
    times.push_back(TimedPass(*form));
    complete = complete && form->KelMsgList2().Count() == expected;
  }
  return Median(std::move(times));
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication application(argc, argv);
  QTemporaryDir folder;
  const std::vector<std::string> messages = argc > 1 ? bench::ReadMaildir(argv[1]) : Mailbox();
  testsupport::DovecotServer server({{"bob", "secret", messages}, {"empty", "secret", {}}});
  const std::unique_ptr<app::TMainForm> started = bench::StartMainForm(folder.path().toStdString());
  app::TMainForm& form = *started;
  const config::TServer account = bench::LocalAccount("bob", server.Port());
  form.AccountList() = {account};

  bool complete = true;
  // What any pass costs: connection, login, STAT, LAST, UIDL, QUIT.
  form.AccountList() = {bench::LocalAccount("empty", server.Port())};
  const double emptyPass = MedianPass(form, true, 0, complete);
  form.AccountList() = {account};
  const double first = MedianPass(form, false, messages.size(), complete);
  const double second = MedianPass(form, true, messages.size(), complete);
  const double restart = MedianRestartPass(folder.path().toStdString(), account, messages.size(), complete);
  if (argc > 1)
    std::printf("mailbox: %zu messages from %s; median of %d passes each\n", messages.size(), argv[1], kRuns);
  else
    std::printf("mailbox: %zu messages, %d with a %zu-byte attachment; median of %d passes each\n", messages.size(),
                kLargeMessages, kAttachmentBytes, kRuns);
  std::printf("first pass:  %.3f s\n", first);
  std::printf("second pass: %.3f s\n", second);
  std::printf("ratio: %.4f\n", second / first);
  std::printf("restart pass, messages on disk: %.3f s (%.4f of the first)\n", restart, restart / first);
  std::printf("pass over an empty mailbox: %.3f s\n", emptyPass);
  return complete ? EXIT_SUCCESS : EXIT_FAILURE;
}
