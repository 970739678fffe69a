#include "platform/home_folder.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace platform {

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  const passwd* user = ::getpwuid(::getuid());
  return user && user->pw_dir ? user->pw_dir : "";
}

std::string XdgFolder(const char* variable, const std::string& fallback, const std::string& below) {
  const char* value = std::getenv(variable);
  const std::string base = value && value[0] == '/' ? std::string(value) : HomeFolder() + "/" + fallback;
  return base + "/" + below;
}

}  // namespace platform
