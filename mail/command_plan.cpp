#include "mail/command_plan.h"

#include <optional>
#include <string_view>
#include <utility>

#include "mail/text_utils.h"

namespace mail {

namespace {

struct Position {
  std::uint32_t number;
  int step;
};

// The plan's place of a command, or nothing for one a plan never holds.
std::optional<Position> PositionOf(std::string_view command) {
  constexpr std::string_view kCrLf = "\r\n";
  if (!command.ends_with(kCrLf)) return std::nullopt;
  command.remove_suffix(kCrLf.size());
  int step;
  if (command.starts_with("LIST ")) step = 0;
  else if (command.starts_with("RETR ")) step = 1;
  else if (command.starts_with("TOP ") && command.ends_with(" 0")) step = 2;
  else return std::nullopt;
  command.remove_prefix(command.find(' ') + 1);
  if (step == 2) command.remove_suffix(2);
  const std::int64_t number = ToIntDef(command, 0);
  if (number < 1 || number > UINT32_MAX || std::to_string(number) != command) return std::nullopt;
  return Position{static_cast<std::uint32_t>(number), step};
}

std::string CommandAt(std::uint32_t number, int step) {
  const std::string text = std::to_string(number);
  switch (step) {
    case 0:
      return "LIST " + text + "\r\n";
    case 1:
      return "RETR " + text + "\r\n";
    default:
      return "TOP " + text + " 0\r\n";
  }
}

}  // namespace

CommandPlan::CommandPlan(std::initializer_list<std::uint32_t> numbers) {
  for (const std::uint32_t number : numbers) Add(number);
}

void CommandPlan::Add(std::uint32_t number) {
  if (!runs_.empty() && runs_.back().last != UINT32_MAX && runs_.back().last + 1 == number)
    runs_.back().last = number;
  else
    runs_.push_back({number, number});
}

void CommandPlan::Clear() {
  runs_.clear();
  step_ = 0;
}

std::string CommandPlan::TakeFront() {
  Run& run = runs_.front();
  std::string command = CommandAt(run.first, step_);
  if (++step_ < 3) return command;
  step_ = 0;
  if (run.first == run.last) runs_.pop_front();
  else ++run.first;
  return command;
}

bool CommandPlan::SkipTo(const std::string& command) {
  const std::optional<Position> at = PositionOf(command);
  if (!at || runs_.empty()) return false;
  if (at->number == runs_.front().first && at->step < step_) return false;  // taken already
  for (std::size_t index = 0; index < runs_.size(); ++index) {
    const Run& run = runs_[index];
    if (at->number < run.first) return false;
    if (at->number > run.last) continue;
    runs_.erase(runs_.begin(), runs_.begin() + static_cast<std::ptrdiff_t>(index));
    runs_.front().first = at->number;
    step_ = at->step;
    return true;
  }
  return false;
}

}  // namespace mail
