// Parses a message body the way a retrieval does, from its header and body
// lines, with a parse context of the test's own.
#pragma once

#include <gtest/gtest.h>

#include "mail/body_parser.h"
#include "mail/header_fields.h"
#include "mail/message.h"
#include "tests/mail/fake_mime_database.h"
#include "tests/mail/recording_parse_context.h"

namespace testsupport {

class BodyWalk : public ::testing::Test {
 protected:
  mail::TKelMsg Parse(mail::Lines headers, mail::Lines body) {
    mail::TKelMsg message(types_);
    const mail::PartType top = mail::ReadPartType(headers);
    message.Charset = top.charset;
    message.ContentType = top.mediaType;
    mail::ParseBody(context_, message, headers, body, top);
    return message;
  }

  FakeMimeDatabase types_;
  RecordingParseContext context_{types_};
};

}  // namespace testsupport
