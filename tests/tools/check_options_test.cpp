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

TEST(CheckOptions, WrongUsageIsRefused) {
  const std::vector<std::vector<std::string>> wrong = {
      {},        {"host"},           {"host", "bob", "extra"}, {"--port", "0", "h", "u"},
      {"--port", "x", "h", "u"}, {"--timeout", "0", "h", "u"}, {"h", "u", "--port"}, {"--verbose", "h", "u"},
  };
  for (const auto& args : wrong) EXPECT_FALSE(Parse(args)) << ::testing::PrintToString(args);
}

}  // namespace
