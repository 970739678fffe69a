#include "tools/check_options.h"

#include <string_view>
#include <vector>

#include "mail/text_utils.h"

namespace tools {

namespace {

std::optional<platform::Security> ParseSecurity(std::string_view name) {
  if (name == "none") return platform::Security::None;
  if (name == "tls") return platform::Security::Tls;
  if (name == "starttls") return platform::Security::StartTls;
  return std::nullopt;
}

std::optional<mail::LoginMethod> ParseLoginMethod(std::string_view name) {
  if (name == "user") return mail::LoginMethod::kUserPass;
  if (name == "apop") return mail::LoginMethod::kApop;
  if (name == "plain") return mail::LoginMethod::kSaslPlain;
  if (name == "xoauth2") return mail::LoginMethod::kXOAuth2;
  if (name == "oauthbearer") return mail::LoginMethod::kOAuthBearer;
  return std::nullopt;
}

}  // namespace

std::optional<CheckOptions> ParseCheckOptions(int argc, char** argv) {
  CheckOptions options;
  std::vector<std::string> positional;
  bool portGiven = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    const bool takesValue = arg == "--port" || arg == "--timeout" || arg == "--security" || arg == "--auth" ||
                            arg == "--password-command";
    if (takesValue && i + 1 >= argc) return std::nullopt;
    if (arg == "--port") {
      const auto port = mail::ToIntDef(argv[++i], -1);
      if (port < 1 || port > 65535) return std::nullopt;
      options.port = std::to_string(port);
      portGiven = true;
    } else if (arg == "--timeout") {
      const auto seconds = mail::ToIntDef(argv[++i], -1);
      if (seconds < 1 || seconds > 86400) return std::nullopt;
      options.timeoutSeconds = static_cast<int>(seconds);
    } else if (arg == "--security") {
      const auto security = ParseSecurity(argv[++i]);
      if (!security) return std::nullopt;
      options.security = *security;
    } else if (arg == "--auth") {
      const auto login = ParseLoginMethod(argv[++i]);
      if (!login) return std::nullopt;
      options.login = *login;
    } else if (arg == "--password-command") {
      options.passwordCommand = argv[++i];
      if (options.passwordCommand.empty()) return std::nullopt;
    } else if (arg == "--keyring") {
      options.keyring = true;
    } else if (arg.starts_with("-")) {
      return std::nullopt;
    } else {
      positional.emplace_back(arg);
    }
  }
  if (positional.size() != 2) return std::nullopt;
  options.host = positional[0];
  options.user = positional[1];
  if (!portGiven && options.security == platform::Security::Tls) options.port = "995";
  return options;
}

}  // namespace tools
