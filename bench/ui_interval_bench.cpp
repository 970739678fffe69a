// How long the main window goes without serving events during a check pass
// over a mailbox in a maildir (scripts/bench-pass makes one with
// bench/make_mailbox.py), served by Dovecot. A precise 1 ms timer runs
// throughout; the longest gap between two of its ticks is the longest time
// the event loop was not run, within a millisecond. Prints the longest gaps,
// when in the pass each began and how much of each this thread spent on the
// processor (the rest it was waiting or not scheduled), and the number of
// gaps longer than 20 ms.
//
// usage: ui_interval_bench MAILDIR
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/window/main_form.h"
#include "bench/main_form_setup.h"
#include "tests/support/dovecot_server.h"

namespace {

struct Gap {
  qint64 startMs;
  qint64 lengthMs;
  double cpuMs;
  std::size_t messagesRead;  // at the gap's end: the one being read then is the next
};

double ThreadCpuMs() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: ui_interval_bench MAILDIR\n");
    return 64;
  }
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication application(argc, argv);
  QTemporaryDir folder;
  const std::vector<std::string> messages = bench::ReadMaildir(argv[1]);
  testsupport::DovecotServer server({{"bob", "secret", messages}});
  const std::unique_ptr<app::TMainForm> started = bench::StartMainForm(folder.path().toStdString());
  app::TMainForm& form = *started;
  form.AccountList() = {bench::LocalAccount("bob", server.Port())};

  QElapsedTimer clock;
  std::vector<Gap> gaps;
  qint64 lastTick = 0;
  double lastCpu = ThreadCpuMs();
  QTimer ticker;
  ticker.setTimerType(Qt::PreciseTimer);
  ticker.setInterval(1);
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    const qint64 now = clock.elapsed();
    const double cpu = ThreadCpuMs();
    gaps.push_back({lastTick, now - lastTick, cpu - lastCpu, form.KelMsgList2().Count()});
    lastTick = now;
    lastCpu = cpu;
  });
  clock.start();
  ticker.start();
  form.TBRefreshClick();
  const qint64 total = clock.elapsed();
  ticker.stop();

  const std::size_t ticks = gaps.size();
  const auto late = std::count_if(gaps.begin(), gaps.end(), [](const Gap& gap) { return gap.lengthMs > 20; });
  std::sort(gaps.begin(), gaps.end(), [](const Gap& a, const Gap& b) { return a.lengthMs > b.lengthMs; });
  std::printf("pass: %lld ms, %zu messages read of %zu, %zu ticks, %lld gaps over 20 ms\n", static_cast<long long>(total),
              form.KelMsgList2().Count(), messages.size(), ticks, static_cast<long long>(late));
  for (std::size_t i = 0; i < std::min<std::size_t>(8, gaps.size()); ++i)
    std::printf("gap %zu: %lld ms, from %lld ms into the pass, %.0f ms of it on the processor, %zu messages read\n",
                i + 1, static_cast<long long>(gaps[i].lengthMs), static_cast<long long>(gaps[i].startMs), gaps[i].cpuMs,
                gaps[i].messagesRead);
  return form.KelMsgList2().Count() == messages.size() ? EXIT_SUCCESS : EXIT_FAILURE;
}
