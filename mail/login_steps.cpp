#include "mail/login_steps.h"

#include <openssl/evp.h>

#include <algorithm>
#include <array>
#include <cstdint>

#include "mail/text_decoders.h"
#include "mail/text_utils.h"

namespace mail {

namespace {

// The string value of `"key":"..."` in a flat JSON object, escapes left as they are.
std::optional<std::string> JsonString(std::string_view json, std::string_view key) {
  const std::string quoted = "\"" + std::string(key) + "\"";
  std::size_t at = json.find(quoted);
  if (at == std::string_view::npos) return std::nullopt;
  at = json.find(':', at + quoted.size());
  if (at == std::string_view::npos) return std::nullopt;
  at = json.find('"', at);
  if (at == std::string_view::npos) return std::nullopt;
  const std::size_t end = json.find('"', at + 1);
  if (end == std::string_view::npos) return std::nullopt;
  return std::string(json.substr(at + 1, end - at - 1));
}

}  // namespace

std::optional<std::string> GreetingTimestamp(std::string_view greeting) {
  const std::size_t open = greeting.find('<');
  if (open == std::string_view::npos) return std::nullopt;
  const std::size_t close = greeting.find('>', open);
  if (close == std::string_view::npos) return std::nullopt;
  return std::string(greeting.substr(open, close - open + 1));
}

std::string ApopDigest(std::string_view timestamp, std::string_view password) {
  const std::string text = std::string(timestamp) + std::string(password);
  std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
  unsigned int length = 0;
  EVP_Digest(text.data(), text.size(), digest.data(), &length, EVP_md5(), nullptr);
  static constexpr char kHex[] = "0123456789abcdef";
  std::string hex;
  for (unsigned int i = 0; i < length; ++i) {
    hex += kHex[digest[i] >> 4];
    hex += kHex[digest[i] & 0x0F];
  }
  return hex;
}

std::string EncodeBase64(std::string_view bytes) {
  static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::size_t count = std::min<std::size_t>(3, bytes.size() - i);
    std::uint32_t group = 0;
    for (std::size_t k = 0; k < 3; ++k)
      group = group << 8 | (k < count ? static_cast<unsigned char>(bytes[i + k]) : 0u);
    for (std::size_t k = 0; k < 4; ++k) out += k <= count ? kAlphabet[group >> (18 - 6 * k) & 0x3F] : '=';
  }
  return out;
}

std::string PlainResponse(std::string_view user, std::string_view password) {
  return EncodeBase64(std::string(1, '\0') + std::string(user) + '\0' + std::string(password));
}

std::string XOAuth2Response(std::string_view user, std::string_view token) {
  return EncodeBase64("user=" + std::string(user) + "\x01" "auth=Bearer " + std::string(token) + "\x01\x01");
}

std::string OAuthBearerResponse(std::string_view user, std::string_view host, int port, std::string_view token) {
  // A comma or "=" in the name is escaped as RFC 5801 says.
  std::string name;
  for (const char c : user) name += c == ',' ? "=2C" : c == '=' ? "=3D" : std::string(1, c);
  return EncodeBase64("n,a=" + name + ",\x01" "host=" + std::string(host) + "\x01" "port=" + std::to_string(port) +
                      "\x01" "auth=Bearer " + std::string(token) + "\x01\x01");
}

std::string OAuthChallengeStatus(std::string_view challenge) {
  if (challenge.starts_with("+")) challenge.remove_prefix(1);
  const std::string json = DecodeBase64Text(Trim(challenge));
  const std::optional<std::string> status = JsonString(json, "status");
  if (!status) return json;
  const std::optional<std::string> scope = JsonString(json, "scope");
  return scope ? *status + " (scope " + *scope + ")" : *status;
}

}  // namespace mail
