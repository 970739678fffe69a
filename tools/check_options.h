// Command line of tessaro-check:
// [--port N] [--timeout SECONDS] [--security none|tls|starttls]
// [--auth user|apop|plain|xoauth2|oauthbearer] [--password-command CMD] [--keyring] HOST USER.
#pragma once

#include <optional>
#include <string>

#include "mail/login_method.h"
#include "platform/tcp_client.h"

namespace tools {

struct CheckOptions {
  std::string host;
  std::string user;
  std::string port = "110";  // 995 for TLS from the first byte, unless --port says otherwise
  int timeoutSeconds = 60;
  platform::Security security = platform::Security::None;
  mail::LoginMethod login = mail::LoginMethod::kUserPass;
  std::string passwordCommand;  // when set, no password is read
  // Without TESSARO_PASSWORD, the password is Tessaro's keyring entry for USER@HOST:PORT, not standard input.
  bool keyring = false;
};

// Nothing when the arguments are not a valid command line.
std::optional<CheckOptions> ParseCheckOptions(int argc, char** argv);

}  // namespace tools
