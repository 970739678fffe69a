#include "platform/stable_hash.h"

#include <cstdio>

namespace platform {

std::uint64_t StableHash(std::string_view text, std::uint64_t hash) {
  for (const char c : text) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001b3ULL;
  }
  return hash;
}

std::string HashName(std::uint64_t hash) {
  char name[17];
  std::snprintf(name, sizeof name, "%016llx", static_cast<unsigned long long>(hash));
  return name;
}

std::string StableHashName(std::string_view text) { return HashName(StableHash(text)); }

}  // namespace platform
