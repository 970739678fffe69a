// tessaro-check, the real binary, against a real Dovecot serving the MIME
// fixtures: every message's summary must equal the one kept beside its
// fixture. Set TESSARO_UPDATE_GOLDENS=1 to rewrite those summaries instead.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/support/temp_files.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "tests/support/dovecot_server.h"
#include "tests/support/fake_pop3_server.h"
#include "tests/support/run_program.h"

namespace {

using testsupport::ReadFile;
using testsupport::TempDir;

namespace fs = std::filesystem;
using namespace testsupport;
using nlohmann::json;
using ::testing::HasSubstr;

const fs::path kMimeDir = fs::path(TEST_DATA_DIR) / "mime";

std::vector<fs::path> Fixtures() {
  std::vector<fs::path> paths;
  for (const auto& entry : fs::directory_iterator(kMimeDir))
    if (entry.path().extension() == ".eml") paths.push_back(entry.path());
  std::sort(paths.begin(), paths.end());
  return paths;
}

std::vector<json> JsonLines(const std::string& out) {
  std::vector<json> lines;
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);) lines.push_back(json::parse(line));
  return lines;
}

ProgramResult Check(int port, const std::string& user, const std::string& password, std::vector<std::string> extra = {}) {
  std::vector<std::string> argv = {TESSARO_CHECK_BINARY, "--port", std::to_string(port), "--timeout", "20"};
  argv.insert(argv.end(), extra.begin(), extra.end());
  argv.push_back("127.0.0.1");
  argv.push_back(user);
  return RunProgram(argv, {"TESSARO_PASSWORD=" + password});
}

TEST(TessaroCheck, PrintsEveryFixtureAsItsExpectedSummary) {
  const auto fixtures = Fixtures();
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
  EXPECT_EQ(lines.back(), (json{{"count", fixtures.size()}, {"new", 0}, {"failed", failed}}));
  EXPECT_EQ(failed, 1);  // missing_boundary.eml
  EXPECT_EQ(result.exitStatus, 4);
}

TEST(TessaroCheck, PasswordFromStandardInputAndNoneInTheOutput) {
  DovecotServer server({{"bob", "stdin-secret", {"Subject: one\r\n\r\nbody\r\n"}}});
  const ProgramResult result = RunProgram(
      {TESSARO_CHECK_BINARY, "--port", std::to_string(server.Port()), "127.0.0.1", "bob"}, {}, "stdin-secret\n");
  EXPECT_EQ(result.exitStatus, 0) << result.err;
  EXPECT_THAT(result.out, HasSubstr("\"count\":1"));
  EXPECT_EQ(result.out.find("stdin-secret"), std::string::npos);
}

TEST(TessaroCheck, FailuresEndWithTheirExitStatusAndStatusText) {
  DovecotServer server({MailboxUser{"bob", "secret", {}}});
  const int closedPort = [] {
    FakePop3Server listener({});
    return listener.Port();
  }();
  struct Case {
    const char* name;
    ProgramResult result;
    int status;
    std::string err;
  } cases[] = {
      {"nothing listens", Check(closedPort, "bob", "secret"), 2, "Ошибка при подключени к серверу: 127.0.0.1\n"},
      {"wrong password", Check(server.Port(), "bob", "wrong"), 3, "Ошибка при входе под именем: bob\n"},
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
