// Every MIME fixture parsed in this process, with no session and no server,
// and its summary compared with the golden beside it: the one tessaro-check
// prints for the same message fetched from Dovecot. The fields the server
// contributes are made here as the server makes them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "mail/mail_error.h"
#include "mail/message_parser.h"
#include "platform/cp1251.h"
#include "platform/qt_mime_database.h"
#include "tests/mail/recording_parse_context.h"
#include "tests/support/pop3_replies.h"
#include "tests/support/mime_fixtures.h"
#include "tests/support/temp_files.h"
#include "tools/message_json.h"

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

// The size LIST reports counts every line as ending in CR LF; the fixtures
// are written that way, so it is their size in bytes.
bool EveryLineEndsInCrLf(const std::string& text) {
  for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1))
    if (at == 0 || text[at - 1] != '\r') return false;
  return text.ends_with("\r\n");
}

// What tessaro-check prints for the fixture, without its number: the RETR
// reply parsed as the check does, its size from LIST and TOP n 0 for the
// header block (the headers and the empty line, then the terminator).
json Summary(const std::string& fixture, const platform::MimeDatabase& types) {
  testsupport::RecordingParseContext context(types);
  mail::ParsedMessage parsed;
  try {
    parsed = mail::ParseRetrReply(context, testsupport::MultiLineReply("+OK", fixture), false);
  } catch (const mail::MailError& error) {
    return {{"error", text::Cp1251ToUtf8(error.what())}};
  }
  const std::string headerBlock = fixture.substr(0, fixture.find("\r\n\r\n") + 4);
  json summary = tools::MessageJson(1, static_cast<std::int32_t>(fixture.size()), *parsed.message,
                                    testsupport::DotStuffed(headerBlock) + ".\r\n");
  summary.erase("number");
  return summary;
}

TEST(MimeGolden, EveryFixtureParsesToItsExpectedSummary) {
  const auto fixtures = testsupport::MimeFixtures();
  ASSERT_FALSE(fixtures.empty());
  const platform::QtMimeDatabase types;
  for (const auto& path : fixtures) {
    const std::string fixture = testsupport::ReadFile(path);
    ASSERT_TRUE(EveryLineEndsInCrLf(fixture)) << path.filename();
    const fs::path golden = fs::path(path).replace_extension(".json");
    EXPECT_EQ(Summary(fixture, types), json::parse(testsupport::ReadFile(golden))) << path.filename();
  }
}

}  // namespace
