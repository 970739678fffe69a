// One check pass of the main window against a server already running, and
// what the window holds afterwards: the pass's time, the messages it
// retrieved, the resident set once the pass is over and the window sits in
// the tray, and the process's peak. One pass per process, so the resident
// set is this pass's own:
// scripts/bench-pass --scale runs it for a first pass with the store on, a
// restart over that store, and a first pass with the option off.
//
// usage: scale_pass_bench PORT FOLDER on|off     (prints one JSON line)
#include <QApplication>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/window/main_form.h"
#include "bench/main_form_setup.h"
#include "bench/peak_memory.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s PORT FOLDER on|off\n", argv[0]);
    return EXIT_FAILURE;
  }
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication application(argc, argv);
  const bool keepMessages = std::string(argv[3]) == "on";
  const auto form = bench::StartMainForm(argv[2], keepMessages);
  form->AccountList() = {bench::LocalAccount("bob", std::atoi(argv[1]))};
  long retrieved = 0;
  auto original = form->KelPOP2().OnBeforeRetrieve;
  form->KelPOP2().OnBeforeRetrieve = [&](mail::TKelPOP& session, std::uint32_t number) {
    ++retrieved;
    original(session, number);
  };
  const long before = bench::ReadStatusKiB("VmRSS:");
  const auto start = std::chrono::steady_clock::now();
  form->TBRefreshClick();
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("{\"seconds\": %.3f, \"messages\": %zu, \"retrieved\": %ld, "
              "\"rss_before_kib\": %ld, \"rss_after_kib\": %ld, \"peak_kib\": %ld}\n",
              seconds, form->KelMsgList2().Count(), retrieved, before, bench::ReadStatusKiB("VmRSS:"),
              bench::ReadStatusKiB("VmHWM:"));
  return EXIT_SUCCESS;
}
