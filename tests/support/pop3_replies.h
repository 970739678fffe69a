// Multi-line POP3 replies as a server sends them (RFC 1939): the status line,
// the text with every line that starts with "." given a second one, and the
// terminating "." line.
#pragma once

#include <string>
#include <string_view>

namespace testsupport {

// `text` with a "." added before each "." that begins a line (lines end in CR LF).
std::string DotStuffed(std::string_view text);

// `status` ("+OK ...") and CR LF, the dot-stuffed `text`, ".\r\n". The text
// should end with CR LF; it is sent as it is.
std::string MultiLineReply(std::string_view status, std::string_view text);

// The reply to RETR for a whole message.
std::string RetrReply(std::string_view message);

}  // namespace testsupport
