// What a CAPA reply (RFC 2449) tells a session: whether commands may be sent
// ahead, which SASL mechanisms it offers, and the least time the server wants
// between two logins.
#pragma once

#include <chrono>
#include <set>
#include <string>
#include <string_view>

namespace mail {

// A server may ask for any login delay; one longer than this would leave an
// account unchecked for the rest of the day, so it counts as this long.
inline constexpr std::chrono::seconds kLongestLoginDelay{3600};

struct Capabilities {
  bool pipelining = false;
  std::set<std::string> sasl;  // mechanisms of the "SASL" line, upper case
  // LOGIN-DELAY's seconds, at most kLongestLoginDelay; zero when not listed.
  std::chrono::seconds loginDelay{0};
};

// The capabilities of a whole CAPA reply, status line included; tags in any case.
Capabilities ParseCapabilities(std::string_view capaReply);

}  // namespace mail
