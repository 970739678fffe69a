#include "mail/header_fields.h"

#include "mail/header_parameters.h"
#include "mail/message.h"
#include "mail/text_utils.h"

namespace mail {

namespace {

constexpr std::size_t kRestOfLine = std::string::npos;

enum class Continuation { kNotRead, kAppend, kAppendAfterBlank };

struct FieldRule {
  std::string_view key;
  std::string TKelMsg::*field;
  std::size_t start;  // 1-based character where the value begins
  std::size_t limit;
  bool trimmed;
  Continuation continuation;
};

const FieldRule kFieldRules[] = {
    {"FROM:", &TKelMsg::From, 7, 127, true, Continuation::kAppend},
    {"MESSAGE-ID:", &TKelMsg::MessageId, 13, 127, true, Continuation::kNotRead},
    {"IN-REPLY-TO:", &TKelMsg::InReplyTo, 14, 127, true, Continuation::kNotRead},
    {"RETURN-PATH:", &TKelMsg::ReturnPath, 14, 127, true, Continuation::kNotRead},
    {"REPLY-TO:", &TKelMsg::ReplyTo, 11, 127, false, Continuation::kAppend},
    {"TO:", &TKelMsg::SendTo, 5, kRestOfLine, true, Continuation::kAppendAfterBlank},
    {"CC:", &TKelMsg::CC, 5, kRestOfLine, true, Continuation::kAppendAfterBlank},
    {"DATE:", &TKelMsg::Date, 7, 72, true, Continuation::kNotRead},
    {"SUBJECT:", &TKelMsg::Subject, 10, kRestOfLine, true, Continuation::kAppend},
};

// Characters from 1-based `start`, at most `count` of them.
std::string_view Copy(std::string_view text, std::size_t start, std::size_t count) {
  if (start - 1 >= text.size()) return {};
  return text.substr(start - 1, count);
}

bool IsContinuation(std::string_view line) { return !line.empty() && (line[0] == ' ' || line[0] == '\t'); }

// The matched line's value followed by its continuation lines, joined as the rule says.
std::string ReadValue(HeaderLines lines, std::size_t at, std::size_t start, std::size_t limit, bool trimmed,
                      Continuation continuation) {
  const std::string_view first = Copy(lines[at], start, limit);
  std::string value(trimmed ? Trim(first) : first);
  if (continuation == Continuation::kNotRead) return value;
  for (std::size_t i = at + 1; i < lines.size() && IsContinuation(lines[i]); ++i) {
    if (continuation == Continuation::kAppendAfterBlank) value += ' ';
    value += Trim(lines[i]);
  }
  return value;
}

std::string RemoveTwoQuotes(std::string text) {
  for (int i = 0; i < 2; ++i)
    if (const auto quote = text.find('"'); quote != std::string::npos) text.erase(quote, 1);
  return text;
}

}  // namespace

std::string UpperAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

std::optional<std::size_t> FindHeaderLine(std::string_view key, HeaderLines lines) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string_view line = lines[i];
    if (line.size() >= key.size() && UpperAscii(line.substr(0, key.size())) == key) return i;
  }
  return std::nullopt;
}

std::string ParamToken(std::string_view text, std::size_t start) {
  std::string_view rest = Trim(Copy(text, start, kRestOfLine));
  rest = rest.substr(0, rest.find_first_of(" ;"));
  return std::string(Trim(rest));
}

std::string RawContentTypeText(HeaderLines lines) {
  const auto at = FindHeaderLine("CONTENT-TYPE:", lines);
  if (!at) return {};
  return ReadValue(lines, *at, 15, kRestOfLine, true, Continuation::kAppendAfterBlank);
}

std::string UnfoldedField(std::string_view key, HeaderLines lines) {
  const auto at = FindHeaderLine(key, lines);
  if (!at) return {};
  return ReadValue(lines, *at, key.size() + 1, kRestOfLine, true, Continuation::kAppendAfterBlank);
}

std::optional<std::string> BoundaryIn(std::string_view typeText) {
  if (std::optional<std::string> boundary = FindTokenParameter(typeText, "BOUNDARY")) return boundary;
  // Where no parameter is named so, "BOUNDARY=" may still stand inside another word.
  const auto key = UpperAscii(typeText).find("BOUNDARY=");
  if (key == std::string::npos) return std::nullopt;
  return RemoveTwoQuotes(ParamToken(typeText, key + 1 + 9));
}

PartType ReadPartType(HeaderLines lines) {
  PartType type;
  if (const auto at = FindHeaderLine("CONTENT-TRANSFER-ENCODING:", lines))
    type.encoding = UpperAscii(Trim(Copy(lines[*at], 28, 20)));
  if (!FindHeaderLine("CONTENT-TYPE:", lines)) return type;
  type.hasContentType = true;
  const std::string raw = RawContentTypeText(lines);
  type.typeText = UpperAscii(raw);
  if (std::optional<std::string> charset = FindTokenParameter(raw, "CHARSET")) type.charset = UpperAscii(*charset);
  type.boundary = BoundaryIn(raw);
  type.mediaType = ParamToken(type.typeText, 1);
  return type;
}

void FillHeaderFields(TKelMsg& message, HeaderLines lines) {
  for (const FieldRule& rule : kFieldRules) {
    if (const auto at = FindHeaderLine(rule.key, lines))
      message.*rule.field = ReadValue(lines, *at, rule.start, rule.limit, rule.trimmed, rule.continuation);
  }
}

}  // namespace mail
