#include "mail/capabilities.h"

#include <algorithm>
#include <vector>

#include "mail/header_fields.h"
#include "mail/text_utils.h"

namespace mail {

namespace {

std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  while (!(line = Trim(line)).empty()) {
    const std::size_t blank = std::min(line.find_first_of(" \t"), line.size());
    words.push_back(line.substr(0, blank));
    line.remove_prefix(blank);
  }
  return words;
}

// "LOGIN-DELAY 300", before a login perhaps with " USER" after it.
std::chrono::seconds LoginDelayOf(const std::vector<std::string_view>& words) {
  if (words.size() < 2 || !std::ranges::all_of(words[1], [](char c) { return c >= '0' && c <= '9'; }))
    return std::chrono::seconds{0};
  const std::string_view digits = words[1].substr(0, 9);  // anything longer is beyond the cap anyway
  const std::int64_t seconds = words[1].size() > digits.size() ? kLongestLoginDelay.count() : ToIntDef(digits, 0);
  return std::min(std::chrono::seconds{seconds}, kLongestLoginDelay);
}

}  // namespace

Capabilities ParseCapabilities(std::string_view capaReply) {
  Capabilities capabilities;
  for (std::size_t start = capaReply.find('\n'); start != std::string_view::npos && start < capaReply.size();) {
    ++start;
    const std::size_t end = std::min(capaReply.find('\n', start), capaReply.size());
    const std::string line = UpperAscii(capaReply.substr(start, end - start));
    start = end;
    const std::vector<std::string_view> words = Words(line);
    if (words.empty()) continue;
    if (words[0] == "PIPELINING") capabilities.pipelining = true;
    else if (words[0] == "SASL") capabilities.sasl.insert(words.begin() + 1, words.end());
    else if (words[0] == "LOGIN-DELAY") capabilities.loginDelay = LoginDelayOf(words);
  }
  return capabilities;
}

}  // namespace mail
