// Windows-1251 text, the library's own text model, and its conversion to and
// from UTF-8. Every byte value 1 to 255 round-trips: 0x98, which the code page
// leaves undefined, stands for U+0098.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace text {

// Unicode code points of the bytes 0x80 to 0xFF.
inline constexpr std::array<char16_t, 128> kCp1251Upper = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,  // C0
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,  // C8
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,  // D0
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,  // D8
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,  // E0
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,  // E8
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,  // F0
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,  // F8
};

// The Unicode code point a Windows-1251 byte stands for.
constexpr char32_t Cp1251ToUnicode(unsigned char byte) {
  return byte < 0x80 ? char32_t{byte} : char32_t{kCp1251Upper[byte - 0x80]};
}

// The Windows-1251 byte for a code point, or -1 when the code page has none.
constexpr int UnicodeToCp1251(char32_t code) {
  if (code < 0x80) return static_cast<int>(code);
  if (code >= 0x0410 && code <= 0x044F) return static_cast<int>(code - 0x0410 + 0xC0);
  for (std::size_t i = 0; i < kCp1251Upper.size(); ++i)
    if (kCp1251Upper[i] == code) return static_cast<int>(0x80 + i);
  return -1;
}

std::string Cp1251ToUtf8(std::string_view cp1251);

// Characters that Windows-1251 cannot hold, and malformed UTF-8, become '?'.
std::string Utf8ToCp1251(std::string_view utf8);

// Well-formed UTF-8 holding at least one character beyond ASCII: such text is
// almost never a single-byte code page by accident.
bool IsMultibyteUtf8(std::string_view text);

namespace detail {

template <std::size_t N>
struct Utf8Literal {
  char bytes[N]{};
  constexpr Utf8Literal(const char (&s)[N]) {
    for (std::size_t i = 0; i < N; ++i) bytes[i] = s[i];
  }
};

// Decodes one UTF-8 sequence at `i`, advancing `i`; the literal is known to be valid UTF-8.
constexpr char32_t NextCodePoint(const char* s, std::size_t& i) {
  const auto lead = static_cast<unsigned char>(s[i++]);
  if (lead < 0x80) return lead;
  const int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : 1;
  char32_t code = lead & (0x3F >> extra);
  for (int k = 0; k < extra; ++k) code = (code << 6) | (static_cast<unsigned char>(s[i++]) & 0x3F);
  return code;
}

template <Utf8Literal S>
constexpr std::size_t EncodedLength() {
  std::size_t count = 0;
  for (std::size_t i = 0; i + 1 < sizeof(S.bytes);) {
    NextCodePoint(S.bytes, i);
    ++count;
  }
  return count;
}

template <Utf8Literal S>
constexpr std::array<char, EncodedLength<S>() + 1> Encode() {
  std::array<char, EncodedLength<S>() + 1> out{};
  std::size_t n = 0;
  for (std::size_t i = 0; i + 1 < sizeof(S.bytes);) {
    const int byte = UnicodeToCp1251(NextCodePoint(S.bytes, i));
    if (byte < 0) throw "character has no Windows-1251 byte";
    out[n++] = static_cast<char>(byte);
  }
  return out;
}

template <Utf8Literal S>
inline constexpr auto kEncoded = Encode<S>();

}  // namespace detail

// A readable Russian literal turned into Windows-1251 bytes at compile time:
// "Нет соединения."_cp1251
template <detail::Utf8Literal S>
constexpr std::string_view operator""_cp1251() {
  return {detail::kEncoded<S>.data(), detail::kEncoded<S>.size() - 1};
}

}  // namespace text
