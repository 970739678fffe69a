// The greeting and login a scripted server plays first, for bob with the
// password "secret": the account a MakeLocalSession session logs in with.
#pragma once

#include <vector>

#include "tests/support/fake_pop3_server.h"

namespace testsupport {

inline std::vector<Step> LoggedIn(std::vector<Step> rest) {
  std::vector<Step> script = {Server("+OK POP3 ready\r\n"), Client("USER bob\r\n"), Server("+OK\r\n"),
                              Client("PASS secret\r\n"), Server("+OK Logged in.\r\n")};
  script.insert(script.end(), rest.begin(), rest.end());
  return script;
}

}  // namespace testsupport
