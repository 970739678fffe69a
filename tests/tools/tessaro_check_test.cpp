// tessaro-check, the real binary, against a real Dovecot serving the MIME
// fixtures: every message's summary must equal the one kept beside its
// fixture. Set TESSARO_UPDATE_GOLDENS=1 to rewrite those summaries instead.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/support/mime_fixtures.h"
#include "tests/support/temp_files.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "tests/support/closed_port.h"
#include "tests/support/dovecot_server.h"
#include "tests/support/token_introspection.h"
#include "tests/support/run_program.h"

namespace {

using testsupport::ReadFile;
using testsupport::TempDir;

namespace fs = std::filesystem;
using namespace testsupport;
using nlohmann::json;
using ::testing::HasSubstr;

std::vector<json> JsonLines(const std::string& out) {
  std::vector<json> lines;
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);) lines.push_back(json::parse(line));
  return lines;
}

// One run of the tool; the ids it has seen are kept under `stateHome`, or
// else in a folder of this run's own, which makes it a first pass.
ProgramResult Check(int port, const std::string& user, const std::string& password, std::vector<std::string> extra = {},
                    const fs::path& stateHome = {}) {
  const TempDir freshState;
  std::vector<std::string> argv = {TESSARO_CHECK_BINARY, "--port", std::to_string(port), "--timeout", "20"};
  argv.insert(argv.end(), extra.begin(), extra.end());
  argv.push_back("127.0.0.1");
  argv.push_back(user);
  const fs::path state = stateHome.empty() ? freshState.Path() : stateHome;
  return RunProgram(argv, {"TESSARO_PASSWORD=" + password, "XDG_STATE_HOME=" + state.string()});
}

TEST(TessaroCheck, PrintsEveryFixtureAsItsExpectedSummary) {
  const auto fixtures = testsupport::MimeFixtures();
  ASSERT_FALSE(fixtures.empty());
  std::vector<std::string> messages;
  for (const auto& path : fixtures) messages.push_back(ReadFile(path));
  DovecotServer server({{"bob", "secret", messages}});

  const ProgramResult result = Check(server.Port(), "bob", "secret");
  const std::vector<json> lines = JsonLines(result.out);
  ASSERT_EQ(lines.size(), fixtures.size() + 1) << result.err;
  const bool update = std::getenv("TESSARO_UPDATE_GOLDENS") != nullptr;
  int failed = 0;
  for (std::size_t i = 0; i < fixtures.size(); ++i) {
    json summary = lines[i];
    EXPECT_EQ(summary["number"], i + 1);
    summary.erase("number");
    if (summary.contains("error")) ++failed;
    const fs::path golden = fs::path(fixtures[i]).replace_extension(".json");
    if (update) std::ofstream(golden) << summary.dump(2) << '\n';
    EXPECT_EQ(summary, json::parse(ReadFile(golden))) << fixtures[i].filename();
  }
  // The server does not answer LAST, and a first pass has seen nothing yet.
  EXPECT_EQ(lines.back(), (json{{"count", fixtures.size()}, {"new", fixtures.size()}, {"failed", failed}}));
  EXPECT_EQ(failed, 1);  // missing_boundary.eml
  EXPECT_EQ(result.exitStatus, 4);
}

TEST(TessaroCheck, PasswordFromStandardInputAndNoneInTheOutput) {
  DovecotServer server({{"bob", "stdin-secret", {"Subject: one\r\n\r\nbody\r\n"}}});
  const TempDir state;
  const ProgramResult result =
      RunProgram({TESSARO_CHECK_BINARY, "--port", std::to_string(server.Port()), "127.0.0.1", "bob"},
                 {"XDG_STATE_HOME=" + state.Path().string()}, "stdin-secret\n");
  EXPECT_EQ(result.exitStatus, 0) << result.err;
  EXPECT_THAT(result.out, HasSubstr("\"count\":1"));
  EXPECT_EQ(result.out.find("stdin-secret"), std::string::npos);
}

TEST(TessaroCheck, LogsInByTheMethodAuthNames) {
  DovecotServer server({{"bob", "secret", {"Subject: one\r\n\r\nbody\r\n"}}});
  for (const char* method : {"user", "apop", "plain"}) {
    const ProgramResult result = Check(server.Port(), "bob", "secret", {"--auth", method});
    EXPECT_EQ(result.exitStatus, 0) << method << ": " << result.err;
    EXPECT_THAT(result.out, HasSubstr("\"count\":1")) << method;
  }
  const ProgramResult commanded = Check(server.Port(), "bob", "not this", {"--password-command", "echo secret"});
  EXPECT_EQ(commanded.exitStatus, 0) << commanded.err;
  const ProgramResult failing =
      Check(server.Port(), "bob", "secret", {"--password-command", "echo 'token expired' >&2; exit 1"});
  EXPECT_EQ(failing.exitStatus, 3);
  EXPECT_THAT(failing.err, HasSubstr("token expired"));
  const ProgramResult refused = Check(server.Port(), "bob", "secret", {"--auth", "xoauth2"});
  EXPECT_EQ(refused.exitStatus, 3) << "Dovecot here offers no XOAUTH2: the login fails, nothing else is tried";
  EXPECT_THAT(refused.err, HasSubstr("XOAUTH2"));
}

TEST(TessaroCheck, LogsInWithAnOAuthTokenFromItsPasswordCommand) {
  TokenIntrospection introspection("good-token", "bob");
  DovecotServer server({{"bob", "secret", {"Subject: one\r\n\r\nbody\r\n"}}}, std::nullopt, introspection.Url());
  for (const char* method : {"xoauth2", "oauthbearer"}) {
    const ProgramResult result =
        Check(server.Port(), "bob", "not used", {"--auth", method, "--password-command", "echo good-token"});
    EXPECT_EQ(result.exitStatus, 0) << method << ": " << result.err;
    EXPECT_THAT(result.out, HasSubstr("\"count\":1")) << method;
    EXPECT_EQ(result.out.find("good-token"), std::string::npos);
  }
}

// Dovecot does not answer LAST: "new" is what no complete pass has seen, as
// the application's notice counts it.
TEST(TessaroCheck, WithoutLastNewIsWhatNoCompletePassHasSeen) {
  DovecotServer server({{"bob", "secret", {"Subject: one\r\n\r\n1\r\n", "Subject: two\r\n\r\n2\r\n"}}});
  const TempDir state;
  const auto summary = [&] {
    const ProgramResult result = Check(server.Port(), "bob", "secret", {}, state.Path());
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    const std::vector<json> lines = JsonLines(result.out);
    return lines.empty() ? json() : lines.back();
  };
  EXPECT_EQ(summary(), (json{{"count", 2}, {"new", 2}}));
  EXPECT_EQ(summary(), (json{{"count", 2}, {"new", 0}}));
  server.Deliver("bob", "Subject: three\r\n\r\n3\r\n");
  EXPECT_EQ(summary(), (json{{"count", 3}, {"new", 1}}));
  EXPECT_EQ(summary(), (json{{"count", 3}, {"new", 0}}));
  EXPECT_EQ(std::distance(fs::directory_iterator(state.Path() / "tessaro"), fs::directory_iterator()), 1);
}

TEST(TessaroCheck, FailuresEndWithTheirExitStatusAndStatusText) {
  DovecotServer server({MailboxUser{"bob", "secret", {}}});
  const ClosedPort closed;
  struct Case {
    const char* name;
    ProgramResult result;
    int status;
    std::string err;
  } cases[] = {
      {"nothing listens", Check(closed.Port(), "bob", "secret"), 2, "Ошибка при подключени к серверу: 127.0.0.1\n"},
      {"wrong password", Check(server.Port(), "bob", "wrong"), 3,
       "Ошибка при входе под именем: bob ([AUTH] Authentication failed.)\n"},
      {"wrong usage", RunProgram({TESSARO_CHECK_BINARY, "only-host"}), 64, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.result.exitStatus, c.status) << c.name;
    if (!c.err.empty()) {
      EXPECT_EQ(c.result.err, c.err) << c.name;
    }
    EXPECT_EQ(c.result.out, "") << c.name;
  }
}

}  // namespace
