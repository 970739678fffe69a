// Parses a message body the way a retrieval does, from its header and body
// lines, with a session that never connects.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "mail/body_parser.h"
#include "mail/header_fields.h"
#include "mail/message.h"
#include "mail/pop3_session.h"
#include "platform/posix_tcp_client.h"
#include "tests/mail/fake_mime_database.h"

namespace testsupport {

class BodyWalk : public ::testing::Test {
 protected:
  mail::TKelMsg Parse(mail::Lines headers, mail::Lines body) {
    mail::TKelMsg message(types_);
    const mail::PartType top = mail::ReadPartType(headers);
    message.Charset = top.charset;
    message.ContentType = top.mediaType;
    mail::ParseBody(session_, message, headers, body, top);
    return message;
  }

  FakeMimeDatabase types_;
  mail::TKelPOP session_{std::make_unique<platform::PosixTcpClient>(), {}, &types_};
};

}  // namespace testsupport
