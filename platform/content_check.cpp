#include "platform/content_check.h"

#include <array>
#include <cstring>

namespace platform {

namespace {

constexpr std::uint64_t kPrime = 0x9E3779B97F4A7C15ULL;  // odd: multiplying by it loses nothing
constexpr std::size_t kLanes = 4;

std::uint64_t Mix(std::uint64_t lane, std::uint64_t word) {
  lane = (lane ^ word) * kPrime;
  return lane ^ lane >> 29;  // the high bits the product made reach the low ones
}

std::uint64_t Word(const char* at) {
  std::uint64_t word = 0;
  std::memcpy(&word, at, sizeof word);
  return word;
}

}  // namespace

std::uint64_t ContentCheck(std::string_view text, std::uint64_t seed) {
  std::array<std::uint64_t, kLanes> lanes{};
  for (std::size_t lane = 0; lane < kLanes; ++lane) lanes[lane] = seed + lane + 1;
  const char* at = text.data();
  const char* const end = at + text.size();
  for (; end - at >= static_cast<std::ptrdiff_t>(kLanes * 8); at += kLanes * 8)
    for (std::size_t lane = 0; lane < kLanes; ++lane) lanes[lane] = Mix(lanes[lane], Word(at + lane * 8));
  for (; end - at >= 8; at += 8) lanes[0] = Mix(lanes[0], Word(at));
  std::uint64_t tail = 0;
  std::memcpy(&tail, at, static_cast<std::size_t>(end - at));
  std::uint64_t check = Mix(text.size(), tail);
  for (const std::uint64_t lane : lanes) check = Mix(check, lane);
  return check;
}

}  // namespace platform
