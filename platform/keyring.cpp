#include "platform/keyring.h"

namespace platform {

std::string KeyringKey(const std::string& user, const std::string& host, int port) {
  return user + "@" + host + ":" + std::to_string(port);
}

}  // namespace platform
