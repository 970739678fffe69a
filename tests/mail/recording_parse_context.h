// A parse context with no session behind it: the settings a test may change
// (the session's defaults until then), and the parser's reports kept as
// readable lines in the order they came.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "mail/parse_context.h"
#include "platform/cp1251.h"

namespace testsupport {

// What a session raises for a body it cannot parse, until told otherwise.
inline std::string SessionFormatError() {
  using text::operator""_cp1251;
  return std::string("Ошибочный формат сообщения!"_cp1251);
}

class RecordingParseContext : public mail::ParseContext {
 public:
  explicit RecordingParseContext(const platform::MimeDatabase& types, platform::EventPump pump = {})
      : types_(types), pump_(std::move(pump)) {}

  std::string formatError = SessionFormatError();
  std::uint16_t progressStep = 10;
  std::vector<std::string> reports;

  const platform::MimeDatabase& MimeDatabase() const override { return types_; }
  const platform::EventPump& EventPump() const override { return pump_; }
  const std::string& FormatError() const override { return formatError; }
  std::uint16_t ProgressStep() const override { return progressStep; }
  void DecodeStarted(const std::string& fileName, std::int32_t lineCount) override {
    reports.push_back("start " + fileName + " " + std::to_string(lineCount));
  }
  void DecodeProgressed(std::uint16_t percent) override { reports.push_back(std::to_string(percent)); }
  void DecodeEnded() override { reports.push_back("end"); }
  void BodyFinished(const std::string& parseError) override { reports.push_back("body " + parseError); }

 private:
  const platform::MimeDatabase& types_;
  platform::EventPump pump_;
};

}  // namespace testsupport
