// How a session proves who it is to the server.
#pragma once

#include <cstdint>

namespace mail {

// The order is the one the settings file stores (`Auth`N) and the account
// editor lists; a missing or unknown value is kUserPass.
enum class LoginMethod : std::uint8_t {
  kUserPass,     // USER and PASS (RFC 1939)
  kApop,         // APOP with the greeting's timestamp (RFC 1939 section 7)
  kSaslPlain,    // AUTH PLAIN with its initial response (RFC 5034, RFC 4616)
  kXOAuth2,      // AUTH XOAUTH2, the token after the server's "+"
  kOAuthBearer,  // AUTH OAUTHBEARER (RFC 7628), the same way
};

inline constexpr int kLoginMethodCount = 5;

}  // namespace mail
