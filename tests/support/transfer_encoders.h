// Encoders that make input for the decoders' tests and benchmarks; the library
// itself only decodes.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

#include "mail/lines.h"

namespace testsupport {

// Standard base64 with "=" padding, on one line.
inline std::string EncodeBase64(std::string_view bytes) {
  static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string encoded;
  encoded.reserve((bytes.size() + 2) / 3 * 4);
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::size_t count = std::min<std::size_t>(3, bytes.size() - i);
    unsigned group = 0;
    for (std::size_t k = 0; k < 3; ++k)
      group = group << 8 | (k < count ? static_cast<unsigned char>(bytes[i + k]) : 0u);
    for (std::size_t k = 0; k < 4; ++k) encoded += k <= count ? kAlphabet[group >> (18 - 6 * k) & 63] : '=';
  }
  return encoded;
}

// The text cut into lines of `width` characters (the last may be shorter).
inline mail::Lines CutEvery(std::string_view text, std::size_t width) {
  mail::Lines lines;
  for (std::size_t i = 0; i < text.size(); i += width) lines.push_back(text.substr(i, width));
  return lines;
}

// Quoted-printable lines of at most `width` characters (or one character or
// "=XX" each when that is wider), every one ending in a soft break, so that
// they decode to exactly `bytes` with no line break added.
inline mail::Lines EncodeQuotedPrintable(std::string_view bytes, std::size_t width = 76) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  mail::Lines lines;
  std::string line;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    std::string piece = byte > ' ' && byte < 127 && byte != '=' ? std::string(1, c) : std::string{'=', kHex[byte >> 4], kHex[byte & 15]};
    if (!line.empty() && line.size() + piece.size() + 1 > width) {
      lines.push_back(line + '=');
      line.clear();
    }
    line += piece;
  }
  lines.push_back(line + '=');
  return lines;
}

// A uuencoded block: the "begin" line, lines of up to 45 bytes, "`" and "end".
inline mail::Lines UUEncode(std::string_view bytes, const std::string& name) {
  const auto character = [](unsigned value) { return value == 0 ? '`' : static_cast<char>(value + ' '); };
  mail::Lines lines{"begin 644 " + name};
  for (std::size_t i = 0; i < bytes.size(); i += 45) {
    const std::string_view chunk = bytes.substr(i, 45);
    std::string line(1, character(static_cast<unsigned>(chunk.size())));
    for (std::size_t k = 0; k < chunk.size(); k += 3) {
      unsigned group = 0;
      for (std::size_t j = 0; j < 3; ++j)
        group = group << 8 | (k + j < chunk.size() ? static_cast<unsigned char>(chunk[k + j]) : 0u);
      for (std::size_t j = 0; j < 4; ++j) line += character(group >> (18 - 6 * j) & 63);
    }
    lines.push_back(line);
  }
  lines.push_back("`");
  lines.push_back("end");
  return lines;
}

}  // namespace testsupport
