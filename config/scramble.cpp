#include "config/scramble.h"

#include <cstdint>

namespace config {

namespace {

constexpr std::uint16_t kStartKey = 30571;
constexpr char kEscape = '\x01';

// The key follows the scrambled byte, before escaping.
std::uint16_t NextKey(std::uint16_t key, unsigned char scrambled) {
  return static_cast<std::uint16_t>((key + scrambled) * 52845u + 22719u);
}

unsigned char Mask(std::uint16_t key) { return static_cast<unsigned char>(key >> 8); }

}  // namespace

std::string ScrambleText(std::string_view plain) {
  std::string out;
  out.reserve(plain.size() * 2);
  std::uint16_t key = kStartKey;
  for (const char p : plain) {
    const auto x = static_cast<unsigned char>(static_cast<unsigned char>(p) ^ Mask(key));
    if (x <= 1) {
      out += kEscape;
      out += static_cast<char>(x + 1);
    } else {
      out += static_cast<char>(x);
    }
    key = NextKey(key, x);
  }
  return out;
}

std::string UnscrambleText(std::string_view scrambled) {
  std::string out;
  out.reserve(scrambled.size());
  std::uint16_t key = kStartKey;
  for (std::size_t i = 0; i < scrambled.size(); ++i) {
    auto x = static_cast<unsigned char>(scrambled[i]);
    if (scrambled[i] == kEscape) {
      x = i + 1 < scrambled.size() && scrambled[i + 1] == kEscape ? 0 : 1;
      ++i;  // the escape's second byte; past the end when the escape is last
    }
    out += static_cast<char>(x ^ Mask(key));
    key = NextKey(key, x);
  }
  return out;
}

}  // namespace config
