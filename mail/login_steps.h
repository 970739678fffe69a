// The texts the login methods send and read, apart from the session that
// sends them: the APOP digest, the SASL initial responses and the status an
// OAuth error challenge carries.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace mail {

// The greeting's timestamp: the first "<...>" it holds, brackets included.
std::optional<std::string> GreetingTimestamp(std::string_view greeting);

// MD5 of the timestamp followed by the password, in lower-case hex.
std::string ApopDigest(std::string_view timestamp, std::string_view password);

std::string EncodeBase64(std::string_view bytes);

// The base64 answers of each SASL mechanism.
std::string PlainResponse(std::string_view user, std::string_view password);
std::string XOAuth2Response(std::string_view user, std::string_view token);
std::string OAuthBearerResponse(std::string_view user, std::string_view host, int port, std::string_view token);

// What an OAuth error challenge ("+ " and base64 JSON) says went wrong: its
// "status" (and "scope" where given); the decoded text itself when it has none.
std::string OAuthChallengeStatus(std::string_view challenge);

}  // namespace mail
