// A helper command's first line, its failure, its silence and its time limit.
#include "platform/command_output.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

using platform::CommandOutput;
using Outcome = platform::CommandOutput::Outcome;
using namespace std::chrono_literals;

TEST(RunForFirstLine, TellsWhatTheCommandDid) {
  struct Case {
    const char* command;
    Outcome outcome;
    const char* firstLine;
    const char* firstErrorLine;
  } cases[] = {
      {"printf 'tok-en\\nsecond\\n'", Outcome::kPrinted, "tok-en", ""},
      {"printf 'no line break'", Outcome::kPrinted, "no line break", ""},
      {"echo 'no such account' >&2; echo ignored; exit 3", Outcome::kFailed, "", "no such account"},
      {"true", Outcome::kPrintedNothing, "", ""},
      {"printf '\\nlate'", Outcome::kPrintedNothing, "", ""},
      {"cat", Outcome::kPrintedNothing, "", ""},  // standard input is closed, not the terminal's
      {"kill -9 $$", Outcome::kFailed, "", ""},
  };
  for (const Case& c : cases) {
    const CommandOutput output = platform::RunForFirstLine(c.command, 10s);
    EXPECT_EQ(output.outcome, c.outcome) << c.command;
    EXPECT_EQ(output.firstLine, c.firstLine) << c.command;
    EXPECT_EQ(output.firstErrorLine, c.firstErrorLine) << c.command;
  }
}

TEST(RunForFirstLine, AHangingCommandIsKilledAtTheLimitWithWhatItStarted) {
  int pumped = 0;
  const auto start = std::chrono::steady_clock::now();
  const CommandOutput output =
      platform::RunForFirstLine("echo waiting >&2; sleep 30 & sleep 30", 300ms, [&] { ++pumped; });
  EXPECT_LT(std::chrono::steady_clock::now() - start, 10s) << "the background sleep holds no pipe open past the kill";
  EXPECT_EQ(output.outcome, Outcome::kTimedOut);
  EXPECT_EQ(output.firstErrorLine, "waiting");
  EXPECT_GT(pumped, 0) << "the events are served while it waits";
}

}  // namespace
