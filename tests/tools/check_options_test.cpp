#include "tools/check_options.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::optional<tools::CheckOptions> Parse(std::vector<std::string> args) {
  args.insert(args.begin(), "tessaro-check");
  std::vector<char*> argv;
  for (auto& arg : args) argv.push_back(arg.data());
  return tools::ParseCheckOptions(static_cast<int>(argv.size()), argv.data());
}

TEST(CheckOptions, HostUserAndOptionalPortAndTimeout) {
  const auto plain = Parse({"pop.example.ru", "bob"});
  ASSERT_TRUE(plain);
  EXPECT_EQ(plain->host, "pop.example.ru");
  EXPECT_EQ(plain->user, "bob");
  EXPECT_EQ(plain->port, "110");
  EXPECT_EQ(plain->timeoutSeconds, 60);

  const auto full = Parse({"--port", "1110", "host", "--timeout", "5", "bob"});
  ASSERT_TRUE(full);
  EXPECT_EQ(full->port, "1110");
  EXPECT_EQ(full->timeoutSeconds, 5);
  EXPECT_EQ(full->host, "host");
}

TEST(CheckOptions, SecurityChoosesTheDefaultPort) {
  struct Case {
    const char* name;
    std::vector<std::string> args;
    platform::Security security;
    std::string port;
  } cases[] = {
      {"plain by default", {"h", "u"}, platform::Security::None, "110"},
      {"none", {"--security", "none", "h", "u"}, platform::Security::None, "110"},
      {"tls", {"--security", "tls", "h", "u"}, platform::Security::Tls, "995"},
      {"starttls", {"--security", "starttls", "h", "u"}, platform::Security::StartTls, "110"},
      {"tls on a given port", {"--port", "1995", "--security", "tls", "h", "u"}, platform::Security::Tls, "1995"},
      {"given port 110 kept for tls", {"--security", "tls", "h", "u", "--port", "110"}, platform::Security::Tls, "110"},
  };
  for (const auto& c : cases) {
    const auto options = Parse(c.args);
    ASSERT_TRUE(options) << c.name;
    EXPECT_EQ(options->security, c.security) << c.name;
    EXPECT_EQ(options->port, c.port) << c.name;
  }
}

TEST(CheckOptions, AuthChoosesTheLoginMethod) {
  const std::pair<const char*, mail::LoginMethod> cases[] = {
      {"user", mail::LoginMethod::kUserPass},   {"apop", mail::LoginMethod::kApop},
      {"plain", mail::LoginMethod::kSaslPlain}, {"xoauth2", mail::LoginMethod::kXOAuth2},
      {"oauthbearer", mail::LoginMethod::kOAuthBearer},
  };
  EXPECT_EQ(Parse({"h", "u"})->login, mail::LoginMethod::kUserPass);
  for (const auto& [name, method] : cases) {
    const auto options = Parse({"--auth", name, "h", "u"});
    ASSERT_TRUE(options) << name;
    EXPECT_EQ(options->login, method) << name;
  }
}

TEST(CheckOptions, WrongUsageIsRefused) {
  const std::vector<std::vector<std::string>> wrong = {
      {},        {"host"},           {"host", "bob", "extra"}, {"--port", "0", "h", "u"},
      {"--port", "x", "h", "u"}, {"--timeout", "0", "h", "u"}, {"h", "u", "--port"}, {"--verbose", "h", "u"},
      {"--security", "ssl", "h", "u"}, {"--security", "TLS", "h", "u"}, {"h", "u", "--security"},
      {"--auth", "cram-md5", "h", "u"}, {"--auth", "APOP", "h", "u"}, {"h", "u", "--auth"},
      {"--password-command", "", "h", "u"}, {"h", "u", "--password-command"},
  };
  for (const auto& args : wrong) EXPECT_FALSE(Parse(args)) << ::testing::PrintToString(args);
}

}  // namespace
