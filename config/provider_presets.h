// Mail providers whose POP3 settings the account editor can fill in: the
// server, its protection and port, the login method, and what the provider
// asks of its users before POP3 works.
#pragma once

#include <span>
#include <string_view>

#include "mail/login_method.h"
#include "platform/tcp_client.h"

namespace config {

struct ProviderPreset {
  std::string_view name;  // as the editor lists it
  std::string_view host;
  platform::Security security;
  int port;
  mail::LoginMethod login;
  std::string_view note;  // one line, UTF-8
};

std::span<const ProviderPreset> ProviderPresets();

}  // namespace config
