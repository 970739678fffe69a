#include "config/account_rules.h"

#include <gtest/gtest.h>

namespace {

using config::TServer;

TEST(AccountRules, CompleteAccountHasADotInItsHostAndAUserName) {
  struct Case {
    const char* name;
    TServer account;
    bool complete;
  } cases[] = {
      {"server and user", TServer("pop.example.org", "bob", "pw", true), true},
      {"empty password", TServer("pop.example.org", "bob", "", true), true},
      {"unchecked", TServer("pop.example.org", "bob", "pw", false), true},
      {"a dot alone", TServer(".", "bob", "", true), true},
      {"dotted address", TServer("10.0.0.1", "bob", "", true), true},
      {"a blank user name is not trimmed", TServer("pop.example.org", " ", "", true), true},
      {"bare machine name", TServer("localhost", "bob", "pw", true), false},
      {"no user name", TServer("pop.example.org", "", "pw", true), false},
      {"new account", TServer(), false},
  };
  for (const Case& c : cases) EXPECT_EQ(config::IsComplete(c.account), c.complete) << c.name;
}

}  // namespace
