// The commands a check pass sends ahead: LIST n, RETR n and TOP n 0 for each
// message number of the plan, in that order. The numbers are kept as runs and
// each command is made only when it is taken, so a plan for a mailbox of any
// size (whatever STAT claims) takes the room of its runs, not of its commands.
#pragma once

#include <cstdint>
#include <deque>
#include <initializer_list>
#include <string>

namespace mail {

class CommandPlan {
 public:
  CommandPlan() = default;
  CommandPlan(std::initializer_list<std::uint32_t> numbers);

  // Numbers come in ascending order; the next one extends the last run or starts one.
  void Add(std::uint32_t number);
  bool Empty() const { return runs_.empty(); }
  void Clear();
  // The next command, taken off the plan. The plan must not be empty.
  std::string TakeFront();
  // True when `command` is still in the plan: what comes before it is dropped,
  // and it is the next to be taken.
  bool SkipTo(const std::string& command);

 private:
  struct Run {
    std::uint32_t first;
    std::uint32_t last;
  };
  std::deque<Run> runs_;
  int step_ = 0;  // of the first run's first number: 0 LIST, 1 RETR, 2 TOP
};

}  // namespace mail
