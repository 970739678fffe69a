// What a CAPA reply tells the session.
#include "mail/capabilities.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

using ::testing::ElementsAre;
using namespace std::chrono_literals;

TEST(Capabilities, SaslMechanismsAreReadFromTheSaslLineInAnyCase) {
  const mail::Capabilities capabilities =
      mail::ParseCapabilities("+OK\r\nTOP\r\nsasl plain  XOAUTH2\toauthbearer\r\nUIDL\r\n.\r\n");
  EXPECT_THAT(capabilities.sasl, ElementsAre("OAUTHBEARER", "PLAIN", "XOAUTH2"));
  EXPECT_FALSE(capabilities.pipelining);
  EXPECT_TRUE(mail::ParseCapabilities("+OK\r\nTOP\r\nUSER\r\n.\r\n").sasl.empty());
}

TEST(Capabilities, PipeliningIsATagOfItsOwn) {
  EXPECT_TRUE(mail::ParseCapabilities("+OK\r\nTOP\r\n pipelining \r\n.\r\n").pipelining);
  EXPECT_FALSE(mail::ParseCapabilities("+OK PIPELINING follows\r\nTOP\r\nPIPELINING-NOT\r\n.\r\n").pipelining);
}

struct LoginDelayCase {
  const char* name;
  const char* line;
  std::chrono::seconds delay;
};

std::ostream& operator<<(std::ostream& out, const LoginDelayCase& c) { return out << c.name; }

class LoginDelayTest : public ::testing::TestWithParam<LoginDelayCase> {};

TEST_P(LoginDelayTest, IsReadFromItsLine) {
  const std::string reply =
      std::string("+OK Capability list follows\r\nTOP\r\n") + GetParam().line + "\r\nUIDL\r\n.\r\n";
  EXPECT_EQ(mail::ParseCapabilities(reply).loginDelay, GetParam().delay);
}

INSTANTIATE_TEST_SUITE_P(
    Capabilities, LoginDelayTest,
    ::testing::Values(LoginDelayCase{"not_listed", "USER", 0s}, LoginDelayCase{"after_login", "LOGIN-DELAY 300", 300s},
                      LoginDelayCase{"before_login_per_user", "login-delay 900 USER", 900s},
                      LoginDelayCase{"zero", "LOGIN-DELAY 0", 0s},
                      LoginDelayCase{"beyond_an_hour_is_an_hour", "LOGIN-DELAY 86400", 3600s},
                      LoginDelayCase{"beyond_any_integer_is_an_hour", "LOGIN-DELAY 99999999999999999999999", 3600s},
                      LoginDelayCase{"not_a_number", "LOGIN-DELAY soon", 0s},
                      LoginDelayCase{"negative", "LOGIN-DELAY -5", 0s},
                      LoginDelayCase{"no_value", "LOGIN-DELAY", 0s}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
