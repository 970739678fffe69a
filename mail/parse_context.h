// What the MIME walk and the file decoders need from whoever hands them a
// message, and what they report back while they work. The parser knows no
// session: a session, a tool or a test gives it one of these.
#pragma once

#include <cstdint>
#include <string>

#include "platform/event_pump.h"
#include "platform/mime_database.h"

namespace mail {

class ParseContext {
 public:
  virtual ~ParseContext() = default;

  virtual const platform::MimeDatabase& MimeDatabase() const = 0;
  // Called while a long text is cut or decoded, so a user interface stays live.
  virtual const platform::EventPump& EventPump() const = 0;
  // The text of the MailError raised for a body that cannot be parsed.
  virtual const std::string& FormatError() const = 0;
  // Percentage points between two progress reports of one file decode.
  virtual std::uint16_t ProgressStep() const = 0;

  // Reports, in the order they happen: each file decode starts, progresses and
  // ends (the end even when the decode fails); then, once a message's body is in
  // place and before its Subject and From are decoded, BodyFinished with why the
  // body was kept raw (empty when it was parsed).
  virtual void DecodeStarted(const std::string& fileName, std::int32_t lineCount) = 0;
  virtual void DecodeProgressed(std::uint16_t percent) = 0;
  virtual void DecodeEnded() = 0;
  virtual void BodyFinished(const std::string& parseError) = 0;

  // The last percentage any file decode computed. It carries from one decode to
  // the next: a decode that computes none closes with a report of 100 only when
  // the one before did not reach it.
  std::uint16_t decodePercent = 0;
};

}  // namespace mail
