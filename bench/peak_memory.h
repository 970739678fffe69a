// The resident set of this process, read from /proc: now, and its peak since
// the last reset, so one step's growth can be told apart from what was there.
#pragma once

#include <fstream>
#include <string>

namespace bench {

// A field of /proc/self/status in KiB ("VmRSS:", "VmHWM:").
inline long ReadStatusKiB(const char* field) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind(field, 0) == 0) return std::stol(line.substr(line.find(':') + 1));
  return 0;
}

// Resets the peak resident set to the current one.
inline void ResetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

}  // namespace bench
