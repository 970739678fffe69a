#include "platform/cp1251.h"

namespace text {

namespace {

void AppendUtf8(std::string& out, char32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// Reverse table for the bytes 0x80 to 0xFF, built once.
struct ReverseTable {
  std::array<unsigned char, 0x2200> bytes{};  // indexed by code point below U+2200
  ReverseTable() {
    for (std::size_t i = 0; i < kCp1251Upper.size(); ++i) bytes[kCp1251Upper[i]] = static_cast<unsigned char>(0x80 + i);
  }
};

int LookUp(char32_t code) {
  static const ReverseTable table;
  if (code < 0x80) return static_cast<int>(code);
  if (code >= table.bytes.size() || table.bytes[code] == 0) return -1;
  return table.bytes[code];
}

// Decodes one UTF-8 sequence at `i`; answers -1 for a malformed one, consuming one byte.
long NextCodePoint(std::string_view s, std::size_t& i) {
  const auto lead = static_cast<unsigned char>(s[i++]);
  if (lead < 0x80) return lead;
  int extra = 0;
  char32_t code = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    extra = 1;
    code = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    extra = 2;
    code = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    extra = 3;
    code = lead & 0x07;
  } else {
    return -1;
  }
  if (i + extra > s.size()) return -1;
  for (int k = 0; k < extra; ++k) {
    const auto next = static_cast<unsigned char>(s[i + k]);
    if ((next & 0xC0) != 0x80) return -1;
    code = (code << 6) | (next & 0x3F);
  }
  i += extra;
  return static_cast<long>(code);
}

}  // namespace

std::string Cp1251ToUtf8(std::string_view cp1251) {
  std::string out;
  out.reserve(cp1251.size() * 2);
  for (const char c : cp1251) AppendUtf8(out, Cp1251ToUnicode(static_cast<unsigned char>(c)));
  return out;
}

std::string Utf8ToCp1251(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const long code = NextCodePoint(utf8, i);
    const int byte = code < 0 ? -1 : LookUp(static_cast<char32_t>(code));
    out += byte < 0 ? '?' : static_cast<char>(byte);
  }
  return out;
}

bool IsMultibyteUtf8(std::string_view text) {
  bool multibyte = false;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t at = i;
    if (NextCodePoint(text, i) < 0) return false;
    multibyte = multibyte || i - at > 1;
  }
  return multibyte;
}

}  // namespace text
