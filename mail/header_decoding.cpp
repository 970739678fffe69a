#include "mail/header_decoding.h"

#include <algorithm>

#include "mail/charsets.h"
#include "mail/text_decoders.h"
#include "platform/cp1251.h"

namespace mail {

namespace {

constexpr std::size_t kMinQuestionMarks = 3;  // after the charset, after the encoding, before "?="

// Cuts `rest` at its first "?", answering what came before; nothing when there is no "?".
bool TakeField(std::string_view& rest, std::string_view& field) {
  const std::size_t mark = rest.find('?');
  if (mark == std::string_view::npos) return false;
  field = rest.substr(0, mark);
  rest.remove_prefix(mark + 1);
  return true;
}

std::string DecodeQWord(std::string_view encoded) {
  // "_" stands for a blank; "=5F" still gives an underscore because it is decoded after.
  std::string text(encoded);
  std::replace(text.begin(), text.end(), '_', ' ');
  return DecodeQPText(text);
}

bool IsEncodedWordShape(std::string_view text) {
  return text.size() >= 4 && text.substr(0, 2) == "=?" && text.substr(text.size() - 2) == "?=";
}

}  // namespace

bool FindEncodedWord(std::string_view text, std::size_t& start, std::size_t& stop) {
  start = 1;
  stop = text.size();
  // Only the first "=?" needs a scan: a later one sees a subset of the same "?"
  // marks, so it cannot close a word where the first could not.
  const std::size_t open = text.find("=?");
  if (open == std::string_view::npos) return false;
  std::size_t marks = 0;
  for (std::size_t i = open + 2; i + 1 < text.size(); ++i) {
    if (text[i] != '?') continue;
    ++marks;
    if (text[i + 1] == '=' && marks >= kMinQuestionMarks) {
      start = open + 1;
      stop = i + 2;
      return true;
    }
  }
  return false;
}

std::string DecodeHeaderWord(std::string_view text, std::string_view defaultCharset) {
  // Raw 8-bit text that is well-formed UTF-8 was written so, whatever the body
  // declares: no Cyrillic or Latin page makes such sequences by accident.
  if (!IsEncodedWordShape(text))
    return text::IsMultibyteUtf8(text) ? text::Utf8ToCp1251(text) : ConvertTextCharset(text, defaultCharset);
  std::string_view rest = text.substr(2, text.size() - 4);
  std::string_view charset;
  std::string_view encoding;
  if (!TakeField(rest, charset) || charset.empty()) return std::string(text);
  charset = charset.substr(0, charset.find('*'));  // RFC 2231 lets a language follow: "UTF-8*ru"
  if (!TakeField(rest, encoding) || encoding.size() != 1) return std::string(text);
  switch (encoding.front()) {
    case 'B':
    case 'b':
      return ConvertTextCharset(DecodeBase64Text(rest), charset);
    case 'Q':
    case 'q':
      return ConvertTextCharset(DecodeQWord(rest), charset);
    default:
      return std::string(text);
  }
}

std::string DecodeHeaderText(std::string_view text, std::string_view defaultCharset) {
  std::string result;
  std::string_view rest = text;
  while (!rest.empty()) {
    std::size_t start = 0;
    std::size_t stop = 0;
    FindEncodedWord(rest, start, stop);
    result += DecodeHeaderWord(rest.substr(0, start - 1), defaultCharset);
    result += DecodeHeaderWord(rest.substr(start - 1, stop - start + 1), defaultCharset);
    rest.remove_prefix(stop);
  }
  return result;
}

}  // namespace mail
