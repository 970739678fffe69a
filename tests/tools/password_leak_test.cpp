// The password never shows: whatever goes wrong during a check, tessaro-check
// prints it neither to standard output nor to standard error, whether it came
// from TESSARO_PASSWORD or from standard input, and its command line never
// holds it.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <ostream>
#include <string>
#include <thread>

#include "tests/support/closed_port.h"
#include "tests/support/dovecot_server.h"
#include "tests/support/fake_pop3_server.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_files.h"
#include "tests/support/case_names.h"

namespace {

namespace fs = std::filesystem;
using namespace testsupport;

constexpr const char* kPassword = "Zq7-canary-pass-9fX";

std::vector<Step> LoggedIn(std::vector<Step> rest) {
  std::vector<Step> script = {Server("+OK ready\r\n"), Client("USER bob\r\n"), Server("+OK\r\n"),
                              Client("PASS " + std::string(kPassword) + "\r\n"), Server("+OK\r\n")};
  script.insert(script.end(), rest.begin(), rest.end());
  return script;
}

struct Failure {
  const char* name;
  // The peer for one run, kept alive for the run; answers its port.
  std::function<int(std::unique_ptr<DovecotServer>&, std::unique_ptr<FakePop3Server>&)> peer;
};

const Failure kFailures[] = {
    {"wrong password at a real server",
     [](std::unique_ptr<DovecotServer>& dovecot, std::unique_ptr<FakePop3Server>&) {
       dovecot = std::make_unique<DovecotServer>(std::vector<MailboxUser>{{"bob", "the-right-one", {}}});
       return dovecot->Port();
     }},
    {"connection refused",
     [](auto&, auto&) {
       static const ClosedPort closed;  // held for the whole program, so every run finds it refused
       return closed.Port();
     }},
    {"server closes in the middle of the pass",
     [](auto&, std::unique_ptr<FakePop3Server>& fake) {
       fake = std::make_unique<FakePop3Server>(LoggedIn({Drop()}));
       return fake->Port();
     }},
    {"server answers garbage",
     [](auto&, std::unique_ptr<FakePop3Server>& fake) {
       fake = std::make_unique<FakePop3Server>(LoggedIn({Server("\x01\xFFgarbage\r\n"), Silence(milliseconds(500))}));
       return fake->Port();
     }},
    {"password refused by a scripted server",
     [](auto&, std::unique_ptr<FakePop3Server>& fake) {
       fake = std::make_unique<FakePop3Server>(std::vector<Step>{Server("+OK ready\r\n"), Client("USER bob\r\n"),
                                                                 Server("+OK\r\n"), Server("-ERR\r\n")});
       return fake->Port();
     }},
};

void PrintTo(const Failure& c, std::ostream* out) { *out << c.name; }

std::vector<std::string> Arguments(int port) {
  return {TESSARO_CHECK_BINARY, "--port", std::to_string(port), "--timeout", "2", "127.0.0.1", "bob"};
}

class PasswordLeak : public ::testing::TestWithParam<Failure> {};

TEST_P(PasswordLeak, NoOutputOfAFailedCheckHoldsThePassword) {
  const TempDir state;
  const std::string stateHome = "XDG_STATE_HOME=" + state.Path().string();
  for (const bool fromInput : {false, true}) {
    SCOPED_TRACE(fromInput ? "password from standard input" : "password from the environment");
    std::unique_ptr<DovecotServer> dovecot;
    std::unique_ptr<FakePop3Server> fake;
    const int port = GetParam().peer(dovecot, fake);
    const ProgramResult result =
        fromInput ? RunProgram(Arguments(port), {stateHome}, std::string(kPassword) + "\n")
                  : RunProgram(Arguments(port), {stateHome, "TESSARO_PASSWORD=" + std::string(kPassword)});
    EXPECT_NE(result.exitStatus, 0) << "the check must fail";
    EXPECT_NE(result.exitStatus, -1) << "the check must end by itself";
    EXPECT_FALSE(result.err.empty()) << "a failure is reported";
    EXPECT_EQ(result.out.find(kPassword), std::string::npos) << result.out;
    EXPECT_EQ(result.err.find(kPassword), std::string::npos) << result.err;
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, PasswordLeak, ::testing::ValuesIn(kFailures), testsupport::CaseName());

std::string FileText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The command line of a running check, as every user of the machine can read it.
TEST(PasswordLeakCommandLine, RunningCheckDoesNotShowThePassword) {
  const TempDir state;
  FakePop3Server fake({Server("+OK ready\r\n"), Silence(milliseconds(3000))});
  const std::vector<std::string> arguments = Arguments(fake.Port());
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::setenv("TESSARO_PASSWORD", kPassword, 1);
    ::setenv("XDG_STATE_HOME", state.Path().c_str(), 1);
    std::vector<char*> argv;
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  const fs::path procFile = fs::path("/proc") / std::to_string(child) / "cmdline";
  std::string commandLine;
  // Until the exec has replaced the forked copy of this test.
  for (int attempt = 0; attempt < 300 && !commandLine.starts_with(TESSARO_CHECK_BINARY); ++attempt) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    commandLine = FileText(procFile);
  }
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
  ASSERT_TRUE(commandLine.starts_with(TESSARO_CHECK_BINARY)) << "the running check was not seen";
  EXPECT_NE(commandLine.find("127.0.0.1"), std::string::npos);
  EXPECT_EQ(commandLine.find(kPassword), std::string::npos);
}

}  // namespace
