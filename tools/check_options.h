// Command line of tessaro-check: [--port N] [--timeout SECONDS] HOST USER.
#pragma once

#include <optional>
#include <string>

namespace tools {

struct CheckOptions {
  std::string host;
  std::string user;
  std::string port = "110";
  int timeoutSeconds = 60;
};

// Nothing when the arguments are not a valid command line.
std::optional<CheckOptions> ParseCheckOptions(int argc, char** argv);

}  // namespace tools
