// What hostile messages cost: each kind of message at two sizes, 1 x and
// 4 x, retrieved from memory through a session as a check pass would. For
// each, the processor time and the growth of the resident set during the
// retrieval beyond what the reply itself holds; the time ratio of 4 x to 1 x
// shows whether the cost grows with the size (4) or faster (16 when
// quadratic). Run one size per process for the peak to mean what it says:
// scripts/bench-hostile does.
//
// usage: hostile_bench KIND BYTES     (prints one JSON line)
//        hostile_bench --kinds        (the kinds, one a line)
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "bench/peak_memory.h"
#include "mail/pop3_session.h"
#include "platform/throttled_event_pump.h"
#include "tests/support/memory_tcp_client.h"
#include "tests/support/pop3_replies.h"

namespace {

// The header lines, an empty line and a body of pieces from `piece` until
// the message holds about `bytes` bytes, then `tail`.
std::string Fill(const std::string& headers, std::size_t bytes, const std::function<std::string(std::size_t)>& piece,
                 const std::string& tail = {}) {
  std::string message = headers + "\r\n";
  for (std::size_t n = 0; message.size() < bytes; ++n) message += piece(n);
  return message + tail;
}

const std::map<std::string, std::function<std::string(std::size_t)>>& Kinds() {
  static const std::map<std::string, std::function<std::string(std::size_t)>> kinds = {
      {"uuencode-blocks",
       [](std::size_t bytes) {
         return Fill("Subject: blocks\r\n", bytes,
                     [](std::size_t n) { return "text\r\nbegin 644 f" + std::to_string(n) + ".txt\r\n#86)C\r\nend\r\n"; });
       }},
      {"short-lines", [](std::size_t bytes) { return Fill("Subject: lines\r\n", bytes, [](std::size_t) { return "a\r\n"; }); }},
      {"tiny-parts",
       [](std::size_t bytes) {
         return Fill("Content-Type: multipart/mixed; boundary=s\r\n", bytes,
                     [](std::size_t n) {
                       return "--s\r\nContent-Type: application/octet-stream; name=\"f" + std::to_string(n) +
                              ".bin\"\r\n\r\nxy\r\n";
                     },
                     "--s--\r\n");
       }},
      {"deep-nesting",
       [](std::size_t bytes) {
         return Fill("Content-Type: multipart/mixed; boundary=b0\r\n", bytes, [](std::size_t n) {
           return "--b" + std::to_string(n) + "\r\nContent-Type: multipart/mixed; boundary=b" + std::to_string(n + 1) +
                  "\r\n\r\n";
         });
       }},
      {"header-lines",
       [](std::size_t bytes) {
         std::string headers;
         for (std::size_t n = 0; headers.size() < bytes; ++n) headers += "X-Filler-" + std::to_string(n) + ": v\r\n";
         return headers + "Subject: last\r\n\r\nbody\r\n";
       }},
  };
  return kinds;
}

double ProcessorSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::string(argv[1]) == "--kinds") {
    for (const auto& [kind, make] : Kinds()) std::printf("%s\n", kind.c_str());
    return 0;
  }
  const auto found = argc == 3 ? Kinds().find(argv[1]) : Kinds().end();
  if (found == Kinds().end()) {
    std::fprintf(stderr, "usage: hostile_bench KIND BYTES | --kinds\n");
    return 2;
  }
  const std::string message = found->second(std::strtoull(argv[2], nullptr, 10));
  std::deque<std::string> replies = {"+OK\r\n", "+OK\r\n", "+OK 1 " + std::to_string(message.size()) + "\r\n",
                                     testsupport::RetrReply(message)};
  mail::TKelPOP session(std::make_unique<testsupport::MemoryTcpClient>("+OK\r\n", std::move(replies)),
                        platform::ThrottledEventPump([] {}));
  session.KeepUnparsableMessages = true;
  session.Connect();
  session.Login();
  const long before = bench::ReadStatusKiB("VmRSS:");
  bench::ResetPeak();
  const double start = ProcessorSeconds();
  const auto parsed = session.Retrieve(1);
  const double seconds = ProcessorSeconds() - start;
  const long peakKiB = bench::ReadStatusKiB("VmHWM:") - before;
  std::printf("{\"kind\": \"%s\", \"bytes\": %zu, \"cpu_s\": %.3f, \"peak_mib\": %.1f, \"parsed\": %s}\n",
              found->first.c_str(), message.size(), seconds, static_cast<double>(peakKiB) / 1024,
              parsed ? "true" : "false");
  return 0;
}
