#include "mail/file_decoders.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "mail/decoder_steps.h"
#include "mail/mail_error.h"
#include "mail/text_utils.h"

namespace mail {

namespace {

constexpr std::size_t kUULineBytes = 45;  // the line buffer: 360 bits
constexpr std::size_t kUULineChars = 60;  // what fills it, six bits each
constexpr std::uint16_t kDone = 100;

// index × 100 / count, rounded to the nearest whole number with halves to even.
std::uint16_t PercentOf(std::size_t index, std::size_t count) {
  const std::uint64_t scaled = std::uint64_t{index} * 100;
  std::uint64_t percent = scaled / count;
  const std::uint64_t twiceRest = scaled % count * 2;
  if (twiceRest > count || (twiceRest == count && percent % 2 == 1)) ++percent;
  return static_cast<std::uint16_t>(percent);
}

// The progress of one file decode. Every step stores its percentage in the
// context's decodePercent, reports it when the threshold is reached and lets
// the user interface serve its events.
class DecodeProgress {
 public:
  DecodeProgress(ParseContext& context, std::size_t lineCount)
      : context_(context), pump_(context.EventPump()), lineCount_(lineCount), threshold_(context.ProgressStep()) {}

  // The line whose index the following steps report.
  void AtLine(std::size_t index) { linePercent_ = PercentOf(index, lineCount_); }

  void Step() {
    context_.decodePercent = linePercent_;
    // One step per report: after a jump the same percentage is reported again until the threshold catches up.
    if (linePercent_ >= threshold_) {
      context_.DecodeProgressed(linePercent_);
      threshold_ += context_.ProgressStep();
    }
    if (pump_) pump_();
  }

 private:
  ParseContext& context_;
  const platform::EventPump& pump_;
  std::size_t lineCount_;
  std::uint16_t linePercent_ = 0;
  std::uint32_t threshold_;
};

// The decoded bytes, in a buffer sized up front for the most the input can yield.
class DecodedBytes {
 public:
  void Reserve(std::size_t capacity) { buffer_.resize(capacity); }
  char* End() { return buffer_.data() + size_; }
  void Advance(std::size_t count) { size_ += count; }
  void AdvanceTo(const char* end) { size_ = static_cast<std::size_t>(end - buffer_.data()); }
  // The room sized up front for the most the input could yield goes with what was not used.
  std::string Take() {
    buffer_.resize(size_);
    if (buffer_.capacity() / 2 > size_) buffer_.shrink_to_fit();
    return std::move(buffer_);
  }

 private:
  std::string buffer_;
  std::size_t size_ = 0;
};

// The frame every file decode runs in. Whatever happens while decoding, the
// file ends up with the bytes written so far and without its encoded lines, and
// the closing reports are made before an error goes on to the caller.
template <class Decode>
void RunFileDecode(ParseContext& context, TAttachedFile& item, LinesView lines,
                   std::size_t (*capacityFor)(LinesView), Decode decode) {
  context.DecodeStarted(item.FileName, static_cast<std::int32_t>(std::min<std::size_t>(lines.size(), INT32_MAX)));
  DecodedBytes out;
  const auto finish = [&] {
    item.Data = out.Take();
    item.EncodedLines.reset();
    if (context.decodePercent < kDone) context.DecodeProgressed(kDone);
    context.DecodeEnded();
  };
  try {
    out.Reserve(capacityFor(lines));
    DecodeProgress progress(context, lines.size());
    decode(lines, progress, out);
  } catch (...) {
    finish();
    throw;
  }
  finish();
}

// One quad runs across all lines; an incomplete last one adds up to two bytes.
std::size_t Base64Capacity(LinesView lines) { return lines.ByteSize() / 4 * 3 + 2; }

void DecodeBase64Body(LinesView lines, DecodeProgress& progress, DecodedBytes& out) {
  decoder_steps::Base64Quad quad;
  for (std::size_t index = 0; index < lines.size(); ++index) {
    progress.AtLine(index);
    out.AdvanceTo(quad.Feed(lines[index], out.End(), [&progress] { progress.Step(); }));
  }
  out.AdvanceTo(quad.Finish(out.End()));
}

std::size_t QPCapacity(LinesView lines) { return lines.ByteSize() + 2 * lines.size(); }

void DecodeQPBody(LinesView lines, DecodeProgress& progress, DecodedBytes& out) {
  for (std::size_t index = 0; index < lines.size(); ++index) {
    progress.AtLine(index);
    out.AdvanceTo(decoder_steps::DecodeQPLineInto(lines[index], out.End()));
    progress.Step();
  }
}

// Uuencode: "`" and the space stand for 0, "!" to "_" for their code minus 32.
constexpr std::array<std::uint8_t, 256> MakeUUValues() {
  std::array<std::uint8_t, 256> values{};
  values.fill(decoder_steps::kNotInAlphabet);
  for (int c = '!'; c <= '_'; ++c) values[static_cast<std::size_t>(c)] = static_cast<std::uint8_t>(c - ' ');
  values[' '] = 0;
  values['`'] = 0;
  return values;
}

constexpr std::array<std::uint8_t, 256> kUUValues = MakeUUValues();

std::size_t UUCapacity(LinesView lines) { return kUULineBytes * lines.size(); }

class UUDecoder {
 public:
  explicit UUDecoder(const std::string& formatError) : formatError_(formatError) {}

  void operator()(LinesView lines, DecodeProgress& progress, DecodedBytes& out) const {
    // Line 0 is the "begin" line; line 1 is decoded even when it reads "end".
    for (std::size_t index = 1; index < lines.size(); ++index) {
      if (index > 1 && (lines[index] == "end" || lines[index] == "`")) break;
      progress.AtLine(index);
      out.Advance(DecodeLine(lines[index], out.End()));
      progress.Step();
    }
  }

 private:
  std::uint8_t ValueOf(char c) const {
    const std::uint8_t value = kUUValues[static_cast<unsigned char>(c)];
    if (value == decoder_steps::kNotInAlphabet) throw MailError(formatError_);
    return value;
  }

  // A line decodes through a buffer of 45 bytes: a count above 45, or more than
  // 60 characters, yields only what fits, and nothing beyond the buffer is read.
  std::size_t DecodeLine(std::string_view line, char* out) const {
    if (line.empty()) return 0;
    const std::size_t announced = ValueOf(line.front());
    std::string_view encoded = line.substr(1);
    // A full line must carry all of its characters.
    if (announced == kUULineBytes && encoded.size() < kUULineChars) throw MailError(formatError_);
    encoded = encoded.substr(0, std::min(encoded.size(), kUULineChars));

    std::array<std::uint8_t, kUULineBytes> buffer{};
    std::uint32_t bits = 0;
    std::size_t bitCount = 0;
    std::size_t filled = 0;
    for (const char c : encoded) {
      bits = bits << 6 | ValueOf(c);
      bitCount += 6;
      if (bitCount >= 8) {
        bitCount -= 8;
        buffer[filled++] = static_cast<std::uint8_t>(bits >> bitCount);
      }
    }
    if (bitCount > 0 && filled < buffer.size()) buffer[filled] = static_cast<std::uint8_t>(bits << (8 - bitCount));
    const std::size_t count = std::min(announced, kUULineBytes);
    std::memcpy(out, buffer.data(), count);
    return count;
  }

  const std::string& formatError_;
};

// The "begin" line's mode, characters 7 to 9: a decimal number from 1 to 776.
bool IsUUBegin(std::string_view line) {
  if (line.size() <= 10) return false;
  for (std::size_t i = 0; i < 5; ++i)
    if ((line[i] | 0x20) != "begin"[i]) return false;
  const std::int64_t mode = ToIntDef(line.substr(6, 3), 0);
  return mode >= 1 && mode <= 776;
}

// The item's encoded lines; none without them.
LinesView EncodedLinesOf(const TAttachedFile& item) {
  static const Lines kNoLines;
  return item.EncodedLines ? LinesView(*item.EncodedLines) : LinesView(kNoLines);
}

}  // namespace

void DecodeBase64File(ParseContext& context, TAttachedFile& item, LinesView lines) {
  RunFileDecode(context, item, lines, Base64Capacity, DecodeBase64Body);
}

void DecodeQPFile(ParseContext& context, TAttachedFile& item, LinesView lines) {
  RunFileDecode(context, item, lines, QPCapacity, DecodeQPBody);
}

void DecodeUUFile(ParseContext& context, TAttachedFile& item, LinesView lines) {
  RunFileDecode(context, item, lines, UUCapacity, UUDecoder(context.FormatError()));
}

void DecodeBase64File(ParseContext& context, TAttachedFile& item) {
  DecodeBase64File(context, item, EncodedLinesOf(item));
}

void DecodeQPFile(ParseContext& context, TAttachedFile& item) { DecodeQPFile(context, item, EncodedLinesOf(item)); }

void DecodeUUFile(ParseContext& context, TAttachedFile& item) { DecodeUUFile(context, item, EncodedLinesOf(item)); }

bool FindUUBegin(const Lines& lines, std::size_t& index, std::string& name) {
  return FindUUBeginFrom(lines, 0, index, name);
}

bool FindUUBeginFrom(const Lines& lines, std::size_t from, std::size_t& index, std::string& name) {
  if (lines.empty()) return false;
  for (index = from; index < lines.size(); ++index) {
    if (!IsUUBegin(lines[index])) continue;
    name = lines[index].substr(10, 64);
    return true;
  }
  return false;
}

}  // namespace mail
