// Runs a program to its end and answers what it printed and its exit status.
#pragma once

#include <string>
#include <vector>

namespace testsupport {

struct ProgramResult {
  int exitStatus = -1;  // -1 when it did not end by itself within the time limit
  std::string out;
  std::string err;
};

// `environment` entries ("NAME=value") are added to the test's own environment;
// `input` is written to its standard input, which is then closed.
ProgramResult RunProgram(const std::vector<std::string>& argv, const std::vector<std::string>& environment = {},
                         const std::string& input = {}, int timeoutSeconds = 120);

}  // namespace testsupport
