// The commands a pass sends ahead, made from runs of message numbers.
#include "mail/command_plan.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

using ::testing::ElementsAre;

std::vector<std::string> TakeAll(mail::CommandPlan& plan) {
  std::vector<std::string> commands;
  while (!plan.Empty()) commands.push_back(plan.TakeFront());
  return commands;
}

TEST(CommandPlan, EachNumberGivesListRetrAndTopInOrder) {
  mail::CommandPlan plan{1, 2, 5};
  EXPECT_THAT(TakeAll(plan), ElementsAre("LIST 1\r\n", "RETR 1\r\n", "TOP 1 0\r\n", "LIST 2\r\n", "RETR 2\r\n",
                                         "TOP 2 0\r\n", "LIST 5\r\n", "RETR 5\r\n", "TOP 5 0\r\n"));
}

TEST(CommandPlan, TheLargestNumberEndsItsRun) {
  mail::CommandPlan plan{UINT32_MAX - 1, UINT32_MAX};
  EXPECT_EQ(TakeAll(plan).back(), "TOP 4294967295 0\r\n");
}

TEST(CommandPlan, SkipToDropsWhatComesBeforeAPlannedCommand) {
  struct Case {
    const char* name;
    std::string command;
    bool planned;
    std::string next;  // what TakeFront gives after the skip
  } cases[] = {
      {"a later message", "RETR 3\r\n", true, "RETR 3\r\n"},
      {"across a gap", "TOP 7 0\r\n", true, "TOP 7 0\r\n"},
      {"the next one", "RETR 1\r\n", true, "RETR 1\r\n"},
      {"one taken already", "LIST 1\r\n", false, "RETR 1\r\n"},
      {"a number not planned", "LIST 5\r\n", false, "RETR 1\r\n"},
      {"beyond the plan", "LIST 8\r\n", false, "RETR 1\r\n"},
      {"another command", "DELE 2\r\n", false, "RETR 1\r\n"},
      {"TOP with lines", "TOP 2 10\r\n", false, "RETR 1\r\n"},
      {"a number in another spelling", "LIST 02\r\n", false, "RETR 1\r\n"},
  };
  for (const Case& c : cases) {
    mail::CommandPlan plan{1, 2, 3, 6, 7};
    plan.TakeFront();
    EXPECT_EQ(plan.SkipTo(c.command), c.planned) << c.name;
    EXPECT_EQ(plan.TakeFront(), c.next) << c.name;
  }
}

}  // namespace
