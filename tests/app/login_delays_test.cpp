// How long each mailbox must wait for its next login, on a clock the test turns.
#include "app/pass/login_delays.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;
using app::LoginDelays;

class LoginDelaysTest : public ::testing::Test {
 protected:
  LoginDelays::Clock::time_point now_{1h};
  LoginDelays delays_{[this] { return now_; }};
  config::TServer bob_{"pop.example.ru", "bob", "secret", true};
};

TEST_F(LoginDelaysTest, TheDelayCountsFromTheLastLoginRoundedUpToWholeSeconds) {
  EXPECT_EQ(delays_.Remaining(bob_), 0s) << "a mailbox never logged into waits for nothing";
  delays_.LoggedIn(bob_);
  delays_.Learned(bob_, 300s);
  EXPECT_EQ(delays_.Delay(bob_), 300s);
  EXPECT_EQ(delays_.Remaining(bob_), 300s);
  now_ += 299500ms;
  EXPECT_EQ(delays_.Remaining(bob_), 1s);
  now_ += 500ms;
  EXPECT_EQ(delays_.Remaining(bob_), 0s);
  delays_.LoggedIn(bob_);
  EXPECT_EQ(delays_.Remaining(bob_), 300s) << "a new login starts the delay again";
  delays_.Learned(bob_, 0s);
  EXPECT_EQ(delays_.Remaining(bob_), 0s) << "a server that drops the rule is logged into at once";
}

TEST_F(LoginDelaysTest, EachMailboxWaitsOnItsOwn) {
  delays_.LoggedIn(bob_);
  delays_.Learned(bob_, 300s);
  config::TServer otherPort = bob_;
  otherPort.Port = 995;
  config::TServer otherUser = bob_;
  otherUser.UserId = "anna";
  config::TServer otherHost = bob_;
  otherHost.Host = "pop.example.org";
  for (const config::TServer& other : {otherPort, otherUser, otherHost}) EXPECT_EQ(delays_.Remaining(other), 0s);
  config::TServer samePassword = bob_;
  samePassword.Passwd = "changed";
  EXPECT_EQ(delays_.Remaining(samePassword), 300s);
}

}  // namespace
