// A whole RETR reply, status line to terminator, made into a message: its
// header fields, then its body walked into Text and attached files.
#pragma once

#include <memory>
#include <string>

#include "mail/lines.h"
#include "mail/message.h"
#include "mail/parse_context.h"

namespace mail {

struct ParsedMessage {
  std::unique_ptr<TKelMsg> message;
  // Why the body could not be parsed and was kept as its raw lines; empty when it was parsed.
  std::string parseError;
};

// Raises MailError when the body cannot be parsed, unless `keepUnparsable`:
// the message is then built again plainly, with its header fields, its raw
// body lines as Text and no attached files, and the error's text beside it.
ParsedMessage ParseRetrReply(ParseContext& context, std::string reply, bool keepUnparsable);

// The same from the reply's lines, cut already. `reply` is the reply's text,
// needed only for the plain build of `keepUnparsable`.
ParsedMessage ParseRetrLines(ParseContext& context, Lines lines, const std::string& reply, bool keepUnparsable);

}  // namespace mail
