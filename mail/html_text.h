// HTML made readable as plain text, for mail that comes only as HTML: the
// visible text in document order, block elements as line breaks, list items
// and table cells apart, entities decoded, a link as its text followed by its
// address in angle brackets. Scripts, styles and the document head are left
// out, and nothing is ever fetched.
#pragma once

#include <string>
#include <string_view>

namespace mail {

// UTF-8 in, UTF-8 out, lines ended by CR LF. Only the first kMaxRenderedHtml
// bytes are read, and of those no more than a page meant to be read holds
// (a few hundred levels of nesting, tens of thousands of tags): beyond that
// the parser's cost would grow past all reason.
std::string HtmlToPlainText(std::string_view utf8Html);

// The charset a page names for itself in a <meta> tag near its start; empty when none.
std::string CharsetNamedInHtml(std::string_view html);

inline constexpr std::size_t kMaxRenderedHtml = 4 * 1024 * 1024;

}  // namespace mail
