// The character-level steps that the text decoders and the file decoders share,
// so that a body, a header word and an attached file decode by the same rules.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace mail::decoder_steps {

inline constexpr std::uint8_t kNotInAlphabet = 0xFF;
inline constexpr std::uint8_t kBase64Pad = 64;  // "=" keeps its slot with this value

constexpr std::array<std::uint8_t, 256> MakeBase64Values() {
  std::array<std::uint8_t, 256> values{};
  values.fill(kNotInAlphabet);
  constexpr std::string_view alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  for (std::size_t i = 0; i < alphabet.size(); ++i) values[static_cast<unsigned char>(alphabet[i])] = static_cast<std::uint8_t>(i);
  values['='] = kBase64Pad;
  return values;
}

inline constexpr std::array<std::uint8_t, 256> kBase64Values = MakeBase64Values();

// Four 6-bit slots filled one character at a time.
class Base64Quad {
 public:
  // Takes every character of `text`, writing the bytes of each quad it
  // completes at `out` (which needs room for three bytes per quad) and calling
  // `quadDone` after each. A quad left incomplete waits for the next text.
  // Answers the end of what it wrote.
  template <class QuadDone>
  char* Feed(std::string_view text, char* out, QuadDone quadDone) {
    const char* in = text.data();
    const char* const end = in + text.size();
    while (in < end) {
      // Four characters of the alphabet proper (no pad mark, nothing to skip) make a plain quad.
      if (count_ == 0 && end - in >= 4) {
        const std::uint32_t a = kBase64Values[static_cast<unsigned char>(in[0])];
        const std::uint32_t b = kBase64Values[static_cast<unsigned char>(in[1])];
        const std::uint32_t c = kBase64Values[static_cast<unsigned char>(in[2])];
        const std::uint32_t d = kBase64Values[static_cast<unsigned char>(in[3])];
        if (((a | b | c | d) & 0xC0) == 0) {
          const std::uint32_t group = a << 18 | b << 12 | c << 6 | d;
          out[0] = static_cast<char>(group >> 16);
          out[1] = static_cast<char>(group >> 8 & 0xFF);
          out[2] = static_cast<char>(group & 0xFF);
          out += 3;
          in += 4;
          quadDone();
          continue;
        }
      }
      if (Put(*in++)) {
        out += Emit(out);
        quadDone();
      }
    }
    return out;
  }

  // Writes the whole bytes of a quad the text left incomplete (two characters
  // hold one byte, three hold two) at `out`, which needs room for two bytes,
  // and empties it. Answers the end of what it wrote.
  char* Finish(char* out) {
    std::size_t count = count_;
    count_ = 0;
    while (count > 0 && slots_[count - 1] == kBase64Pad) --count;
    if (count < 2 || slots_[0] == kBase64Pad || slots_[1] == kBase64Pad) return out;
    const unsigned a = slots_[0], b = slots_[1], c = count == 3 ? slots_[2] : 0;
    *out++ = static_cast<char>((a * 4 + b / 16) & 0xFF);
    if (count == 3) *out++ = static_cast<char>(((b % 16) * 16 + c / 4) & 0xFF);
    return out;
  }

 private:
  // Takes one character; true when it completed the quad. A character outside
  // the alphabet (a blank, a line break) takes no slot.
  bool Put(char c) {
    const std::uint8_t value = kBase64Values[static_cast<unsigned char>(c)];
    if (value == kNotInAlphabet) return false;
    slots_[count_++] = value;
    return count_ == 4;
  }

  // Writes the completed quad at `out`, which must have room for three bytes,
  // and empties it. Answers how many of the three bytes count.
  std::size_t Emit(char* out) {
    count_ = 0;
    unsigned a = slots_[0], b = slots_[1], c = slots_[2], d = slots_[3];
    std::size_t bytes = 3;
    // A pad mark anywhere still decodes: these rules decide how much of the quad counts.
    if (a == kBase64Pad) bytes = 0;
    if (c == kBase64Pad) {
      c = d = 0;
      bytes = 1;
    }
    if (d == kBase64Pad) {
      d = 0;
      bytes = 2;
    }
    out[0] = static_cast<char>((a * 4 + b / 16) & 0xFF);
    out[1] = static_cast<char>(((b % 16) * 16 + c / 4) & 0xFF);
    out[2] = static_cast<char>(((c % 4) * 64 + d) & 0xFF);
    return bytes;
  }

  std::array<std::uint8_t, 4> slots_{};
  std::size_t count_ = 0;
};

// Quoted-printable hex digits: upper case only.
constexpr std::array<std::uint8_t, 256> MakeHexValues() {
  std::array<std::uint8_t, 256> values{};
  values.fill(kNotInAlphabet);
  constexpr std::string_view digits = "0123456789ABCDEF";
  for (std::size_t i = 0; i < digits.size(); ++i) values[static_cast<unsigned char>(digits[i])] = static_cast<std::uint8_t>(i);
  return values;
}

inline constexpr std::array<std::uint8_t, 256> kHexValues = MakeHexValues();

// Decodes quoted-printable `text` into `out`, which must have room for
// text.size() bytes, and answers the end of what it wrote. An "=" not followed
// by two hex digits stays as it is.
inline char* DecodeQPInto(std::string_view text, char* out) {
  const char* in = text.data();
  const char* const end = in + text.size();
  while (in < end) {
    if (*in == '=' && end - in >= 3) {
      const std::uint8_t high = kHexValues[static_cast<unsigned char>(in[1])];
      const std::uint8_t low = kHexValues[static_cast<unsigned char>(in[2])];
      if ((high | low) < 16) {  // both are digits
        *out++ = static_cast<char>(high * 16 + low);
        in += 3;
        continue;
      }
    }
    *out++ = *in++;
  }
  return out;
}

// One line of a quoted-printable body: a final "=" is a soft break that joins
// the next line; any other line ends in CR LF. `out` needs line.size() + 2 bytes.
inline char* DecodeQPLineInto(std::string_view line, char* out) {
  const bool softBreak = !line.empty() && line.back() == '=';
  if (softBreak) line.remove_suffix(1);
  out = DecodeQPInto(line, out);
  if (!softBreak) {
    *out++ = '\r';
    *out++ = '\n';
  }
  return out;
}

}  // namespace mail::decoder_steps
