// Throughput of the transfer decoders and the charset conversion on 20 MB of
// input. File decoders run on a session with a throttled event pump, as in the
// application. Bytes processed are the encoded input bytes.
#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "mail/charsets.h"
#include "mail/pop3_session.h"
#include "mail/text_decoders.h"
#include "platform/cp1251.h"
#include "platform/posix_tcp_client.h"
#include "platform/throttled_event_pump.h"
#include "tests/support/transfer_encoders.h"

namespace {

using text::operator""_cp1251;

constexpr std::size_t kInputBytes = 20 << 20;

std::string RandomBytes(std::size_t size) {
  std::mt19937 random(20240611);
  std::string bytes(size, '\0');
  for (char& byte : bytes) byte = static_cast<char>(random() & 0xFF);
  return bytes;
}

// Russian prose in KOI8-R with ASCII punctuation, as a mail body would carry it.
std::string Koi8Text(std::size_t size) {
  std::array<char, 256> toKoi8{};
  for (std::size_t byte = 0; byte < toKoi8.size(); ++byte) toKoi8[byte] = static_cast<char>(byte);
  const mail::LetterSet& letters = mail::CharsetLetters(mail::CyrillicCharset::Koi8R);
  for (std::size_t byte = 0; byte < letters.size(); ++byte)
    if (letters[byte]) toKoi8[mail::Koi8Table()[byte]] = static_cast<char>(byte);
  std::string sentence(" Съешь же ещё этих мягких французских булок, да выпей чаю."_cp1251);
  for (char& c : sentence) c = toKoi8[static_cast<unsigned char>(c)];
  std::string text;
  text.reserve(size + sentence.size());
  while (text.size() < size) text += sentence;
  text.resize(size);
  return text;
}

const mail::Lines& Base64Lines() {
  static const mail::Lines lines = testsupport::CutEvery(testsupport::EncodeBase64(RandomBytes(kInputBytes / 4 * 3)), 76);
  return lines;
}

const mail::Lines& QPLines() {
  // Cyrillic text: most bytes become "=XX".
  static const mail::Lines lines = testsupport::EncodeQuotedPrintable(Koi8Text(kInputBytes / 2));
  return lines;
}

const mail::Lines& UULines() {
  static const mail::Lines lines = testsupport::UUEncode(RandomBytes(kInputBytes / 61 * 45), "data.bin");
  return lines;
}

void DecodeFile(benchmark::State& state, const mail::Lines& input, void (mail::TKelPOP::*decode)(mail::TAttachedFile&)) {
  mail::TKelPOP session(std::make_unique<platform::PosixTcpClient>(), platform::ThrottledEventPump([] {}));
  mail::TAttachedFile item;
  for (auto _ : state) {
    state.PauseTiming();
    item.EncodedLines = input;
    state.ResumeTiming();
    (session.*decode)(item);
    benchmark::DoNotOptimize(item.Data);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input.ByteSize()));
}

void BM_DecodeBase64File(benchmark::State& state) { DecodeFile(state, Base64Lines(), &mail::TKelPOP::DecodeBase64File); }
void BM_DecodeQPFile(benchmark::State& state) { DecodeFile(state, QPLines(), &mail::TKelPOP::DecodeQPFile); }
void BM_DecodeUUFile(benchmark::State& state) { DecodeFile(state, UULines(), &mail::TKelPOP::DecodeUUFile); }

// A text body sent as base64: Russian lines of about 70 characters.
const mail::Lines& Base64TextLines() {
  static const mail::Lines lines = [] {
    std::string text = Koi8Text(kInputBytes / 4 * 3);
    for (std::size_t i = 70; i + 1 < text.size(); i += 72) text.replace(i, 2, "\r\n");
    return testsupport::CutEvery(testsupport::EncodeBase64(text), 76);
  }();
  return lines;
}

void BM_DecodeBase64Lines(benchmark::State& state) {
  const mail::Lines& input = Base64TextLines();
  platform::EventPump pump = platform::ThrottledEventPump([] {});
  for (auto _ : state) {
    state.PauseTiming();
    mail::Lines lines = input;
    state.ResumeTiming();
    mail::DecodeBase64Lines(lines, pump);
    benchmark::DoNotOptimize(lines);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input.ByteSize()));
}

void BM_ConvertLinesCharset(benchmark::State& state) {
  const mail::Lines input = testsupport::CutEvery(Koi8Text(kInputBytes), 76);
  for (auto _ : state) {
    state.PauseTiming();
    mail::Lines lines = input;
    state.ResumeTiming();
    mail::ConvertLinesCharset(lines, "");  // no name: the guess, then the table
    benchmark::DoNotOptimize(lines);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input.ByteSize()));
}

void BM_DetectCyrillicCharset(benchmark::State& state) {
  const std::string text = Koi8Text(kInputBytes);
  for (auto _ : state) benchmark::DoNotOptimize(mail::DetectCyrillicCharset(text));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

BENCHMARK(BM_DecodeBase64File)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeQPFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeUUFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeBase64Lines)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertLinesCharset)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DetectCyrillicCharset)->Unit(benchmark::kMillisecond);

}  // namespace
