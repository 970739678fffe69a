#include "tools/check_options.h"

#include <string_view>
#include <vector>

#include "mail/text_utils.h"

namespace tools {

std::optional<CheckOptions> ParseCheckOptions(int argc, char** argv) {
  CheckOptions options;
  std::vector<std::string> positional;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    const bool takesValue = arg == "--port" || arg == "--timeout";
    if (takesValue && i + 1 >= argc) return std::nullopt;
    if (arg == "--port") {
      const auto port = mail::ToIntDef(argv[++i], -1);
      if (port < 1 || port > 65535) return std::nullopt;
      options.port = std::to_string(port);
    } else if (arg == "--timeout") {
      const auto seconds = mail::ToIntDef(argv[++i], -1);
      if (seconds < 1 || seconds > 86400) return std::nullopt;
      options.timeoutSeconds = static_cast<int>(seconds);
    } else if (arg.starts_with("-")) {
      return std::nullopt;
    } else {
      positional.emplace_back(arg);
    }
  }
  if (positional.size() != 2) return std::nullopt;
  options.host = positional[0];
  options.user = positional[1];
  return options;
}

}  // namespace tools
