// A hash that stays the same from one build to the next (std::hash promises
// no such thing), for names of files that must be found again.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

constexpr std::uint64_t kStableHashStart = 0xcbf29ce484222325ULL;

// FNV-1a, 64 bits; a hash of a text's first part goes on over the next one
// given as `hash`.
std::uint64_t StableHash(std::string_view text, std::uint64_t hash = kStableHashStart);

// A hash as 16 lower-case hex digits.
std::string HashName(std::uint64_t hash);

// HashName(StableHash(text)).
std::string StableHashName(std::string_view text);

}  // namespace platform
