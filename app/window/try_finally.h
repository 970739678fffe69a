// Runs `finally` after `body` however `body` ends; an exception from `body`
// goes on afterwards. An exception from `finally` replaces the one from
// `body`, as it would in a try / finally block.
#pragma once

#include <utility>

namespace app {

template <typename Body, typename Finally>
void TryFinally(Body&& body, Finally&& finally) {
  try {
    std::forward<Body>(body)();
  } catch (...) {
    std::forward<Finally>(finally)();
    throw;
  }
  std::forward<Finally>(finally)();
}

}  // namespace app
