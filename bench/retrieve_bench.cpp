// Retrieval of large messages: from the RETR bytes in memory to the finished
// message (lines, headers, MIME walk, decoding), and the same through a
// loopback server. Peak memory is the growth of the resident set during one
// retrieval, beyond what the input itself holds, as a multiple of its size.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/large_messages.h"
#include "bench/peak_memory.h"
#include "mail/pop3_session.h"
#include "platform/posix_tcp_client.h"
#include "platform/throttled_event_pump.h"
#include "tests/support/fake_pop3_server.h"
#include "tests/support/local_session.h"
#include "tests/support/memory_tcp_client.h"
#include "tests/support/pop3_replies.h"

namespace {

using bench::ReadStatusKiB;
using bench::ResetPeak;

std::deque<std::string> Replies(const std::string& reply, std::size_t size) {
  return {"+OK\r\n", "+OK\r\n", "+OK 1 " + std::to_string(size) + "\r\n", reply};
}

void RetrieveFromMemory(benchmark::State& state, const std::string& message) {
  const std::string reply = testsupport::RetrReply(message);
  double peakRatio = 0;
  for (auto _ : state) {
    mail::TKelPOP session(std::make_unique<testsupport::MemoryTcpClient>("+OK\r\n", Replies(reply, message.size())),
                          platform::ThrottledEventPump([] {}));
    session.Connect();
    session.Login();
    const long before = ReadStatusKiB("VmRSS:");
    ResetPeak();
    auto parsed = session.Retrieve(1);
    peakRatio = static_cast<double>(ReadStatusKiB("VmHWM:") - before) * 1024 / static_cast<double>(message.size());
    benchmark::DoNotOptimize(parsed);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * message.size()));
  state.counters["peak_x_size"] = peakRatio;
}

// Only the parsing half: the RETR reply is already in memory.
void ParseFromMemory(benchmark::State& state, const std::string& message) {
  const std::string reply = testsupport::RetrReply(message);
  mail::TKelPOP session(std::make_unique<platform::PosixTcpClient>(), platform::ThrottledEventPump([] {}));
  double peakRatio = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::string copy = reply;
    const long before = ReadStatusKiB("VmRSS:");
    ResetPeak();
    state.ResumeTiming();
    auto parsed = session.ParseMessage(std::move(copy));
    state.PauseTiming();
    peakRatio = static_cast<double>(ReadStatusKiB("VmHWM:") - before) * 1024 / static_cast<double>(message.size());
    parsed.reset();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * message.size()));
  state.counters["peak_x_size"] = peakRatio;
}

void RetrieveFromLoopback(benchmark::State& state, const std::string& message) {
  using namespace testsupport;
  const std::string reply = testsupport::RetrReply(message);
  for (auto _ : state) {
    FakePop3Server server({Server("+OK\r\n"), Client("USER u\r\n"), Server("+OK\r\n"), Client("PASS p\r\n"),
                           Server("+OK\r\n"), Client("LIST 1\r\n"), Server("+OK 1 " + std::to_string(message.size()) + "\r\n"),
                           Client("RETR 1\r\n"), Server(reply)});
    const auto session =
        MakeLocalSession(server.Port(), {.user = "u", .password = "p", .pump = platform::ThrottledEventPump([] {})});
    session->Connect();
    session->Login();
    auto parsed = session->Retrieve(1);
    benchmark::DoNotOptimize(parsed);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * message.size()));
}

const std::string& Big() {
  static const std::string message = bench::MessageWithBase64Attachment(15 * 1024 * 1024);  // about 20 MB encoded
  return message;
}

const std::string& Many() {
  static const std::string message = bench::MultipartMessage(2000);
  return message;
}

void BM_Parse20MBAttachment(benchmark::State& state) { ParseFromMemory(state, Big()); }
void BM_Parse2000Parts(benchmark::State& state) { ParseFromMemory(state, Many()); }
void BM_Retrieve20MBAttachmentFromMemory(benchmark::State& state) { RetrieveFromMemory(state, Big()); }
void BM_Retrieve2000PartsFromMemory(benchmark::State& state) { RetrieveFromMemory(state, Many()); }
void BM_Retrieve20MBAttachmentFromLoopback(benchmark::State& state) { RetrieveFromLoopback(state, Big()); }
void BM_Retrieve2000PartsFromLoopback(benchmark::State& state) { RetrieveFromLoopback(state, Many()); }

BENCHMARK(BM_Parse20MBAttachment)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Parse2000Parts)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Retrieve20MBAttachmentFromMemory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Retrieve2000PartsFromMemory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Retrieve20MBAttachmentFromLoopback)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Retrieve2000PartsFromLoopback)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
