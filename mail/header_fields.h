// Reading header fields the way the retrieval and the MIME walk read them:
// keys matched at the very start of a line in any case, values cut at fixed
// character positions (which assumes one blank after the colon).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "mail/lines.h"

namespace mail {

class TKelMsg;

using HeaderLines = LinesView;

// Changes only the ASCII letters a to z.
std::string UpperAscii(std::string_view text);

// The first line whose upper-cased text starts with `key` (upper case, ending with a colon).
std::optional<std::size_t> FindHeaderLine(std::string_view key, HeaderLines lines);

// From 1-based `start` to the end, trimmed, up to the first blank or semicolon, trimmed again.
std::string ParamToken(std::string_view text, std::size_t start);

// The content description of a message or of one MIME part.
struct PartType {
  bool hasContentType = false;
  std::string encoding;   // Content-Transfer-Encoding, upper case; empty when absent
  std::string typeText;   // Content-Type with its parameters and continuation lines, upper case
  std::string mediaType;  // the type text's first token, e.g. MULTIPART/MIXED
  std::string charset;    // the charset parameter, upper case, quotes removed
  std::optional<std::string> boundary;  // the multipart boundary, letters as written
};

PartType ReadPartType(HeaderLines lines);

// The Content-Type text with continuation lines, letters as written (for the boundary).
std::string RawContentTypeText(HeaderLines lines);

// The value of field `key` (upper case, ending with a colon) after its colon,
// continuation lines joined after a blank; empty when absent.
std::string UnfoldedField(std::string_view key, HeaderLines lines);

// The multipart boundary a Content-Type text (letters as written) names.
std::optional<std::string> BoundaryIn(std::string_view typeText);

// Fills From, MessageId, InReplyTo, ReturnPath, ReplyTo, SendTo, CC, Date and Subject.
void FillHeaderFields(TKelMsg& message, HeaderLines lines);

}  // namespace mail
