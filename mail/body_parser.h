// The last stage of a retrieval: a message body becomes its readable Text and
// its attached files. Plain text may carry uuencoded files; a single-part body
// may be one encoded file; multipart bodies are walked to any depth.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "mail/header_fields.h"
#include "mail/lines.h"
#include "mail/parse_context.h"

namespace mail {

class TKelMsg;

// Fills Text and AttachedFiles of `message`. Raises MailError with the context's
// FormatError when a multipart body cannot be split. May change `body`.
void ParseBody(ParseContext& context, TKelMsg& message, HeaderLines headers, Lines& body, const PartType& top);

// The parts of a multipart body, each its own header lines, an empty line and
// its body lines. Takes the lines out of `lines`. A delimiter line may end in
// blanks. Raises MailError(errorText) when there is no boundary or no line
// holds its delimiter.
std::vector<Lines> SplitMultipart(const std::string& errorText, HeaderLines headers, Lines& lines);

// The same, answering nothing where SplitMultipart raises; `lines` is then unchanged.
std::optional<std::vector<Lines>> TrySplitMultipart(HeaderLines headers, Lines& lines);

// The same with the boundary read already: nothing when no line holds its delimiter.
std::optional<std::vector<Lines>> SplitAtBoundary(const std::string& boundary, Lines& lines);

// The first line whose upper-cased text contains `key`, and the 1-based position of the key in it.
std::optional<std::pair<std::size_t, std::size_t>> FindLineWith(std::string_view key, HeaderLines lines);

// The first line that contains `text`, letter case kept.
std::optional<std::size_t> FindLineContaining(std::string_view text, HeaderLines lines);

}  // namespace mail
