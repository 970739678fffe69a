// The first line a shell command prints, for an account whose password (or
// OAuth 2.0 access token) comes from a helper program each time it logs in.
#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "platform/event_pump.h"

namespace platform {

struct CommandOutput {
  enum class Outcome { kPrinted, kFailed, kPrintedNothing, kTimedOut };
  Outcome outcome = Outcome::kFailed;
  std::string firstLine;       // of standard output, without its line break; for kPrinted
  std::string firstErrorLine;  // of standard error, without its line break; maybe empty
};

// Runs `command` with /bin/sh -c, standard input closed, and waits for it to
// end, calling `pump` while it waits. At `limit` the command and everything it
// started are killed. Success is exit status 0 with a non-empty first line.
CommandOutput RunForFirstLine(const std::string& command, std::chrono::milliseconds limit, const EventPump& pump = {});

}  // namespace platform
