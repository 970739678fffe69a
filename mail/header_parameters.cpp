#include "mail/header_parameters.h"

#include <algorithm>
#include <map>

#include "mail/text_utils.h"
#include "platform/hex_digit.h"

namespace mail {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool SameLetters(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
           return upper(x) == upper(y);
         });
}

struct RawParameter {
  std::string_view attribute;
  std::string value;
  bool quoted = false;
};

// Reads parameters one after another; a word with no "=" after it (the media
// type, "attachment") is passed over.
class ParameterReader {
 public:
  explicit ParameterReader(std::string_view text) : text_(text) {}

  std::optional<RawParameter> Next() {
    while (true) {
      Skip([](char c) { return IsBlank(c) || c == ';'; });
      if (at_ >= text_.size()) return std::nullopt;
      const std::size_t start = at_;
      Skip([](char c) { return !IsBlank(c) && c != ';' && c != '=' && c != '"'; });
      const std::string_view attribute = text_.substr(start, at_ - start);
      Skip(IsBlank);
      if (at_ < text_.size() && text_[at_] == '=' && !attribute.empty()) {
        ++at_;
        Skip(IsBlank);
        return ReadValue(attribute);
      }
      if (at_ < text_.size() && text_[at_] == '"') ReadQuoted();
      else if (at_ == start) ++at_;  // a stray "=" or quote
    }
  }

 private:
  template <class Predicate>
  void Skip(Predicate keep) {
    while (at_ < text_.size() && keep(text_[at_])) ++at_;
  }

  RawParameter ReadValue(std::string_view attribute) {
    if (at_ < text_.size() && text_[at_] == '"') {
      RawParameter parameter{attribute, ReadQuoted(), true};
      Skip([](char c) { return c != ';'; });  // anything after the closing quote
      return parameter;
    }
    const std::size_t start = at_;
    Skip([](char c) { return c != ';'; });
    return {attribute, std::string(Trim(text_.substr(start, at_ - start))), false};
  }

  // A quoted string from its opening quote; a missing closing quote ends it at the end.
  std::string ReadQuoted() {
    std::string value;
    for (++at_; at_ < text_.size() && text_[at_] != '"'; ++at_) {
      // Only \" and \\ are taken as escapes: senders often quote a path's backslashes as they are.
      if (text_[at_] == '\\' && at_ + 1 < text_.size() && (text_[at_ + 1] == '"' || text_[at_ + 1] == '\\')) ++at_;
      value += text_[at_];
    }
    if (at_ < text_.size()) ++at_;
    return value;
  }

  std::string_view text_;
  std::size_t at_ = 0;
};

std::string PercentDecoded(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const int high = i + 2 < text.size() && text[i] == '%' ? platform::HexDigitValue(text[i + 1]) : -1;
    const int low = high >= 0 ? platform::HexDigitValue(text[i + 2]) : -1;
    if (low < 0) {
      out += text[i];
      continue;
    }
    out += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return out;
}

// The pieces of one RFC 2231 parameter, by their number; a piece marked "*" is percent-encoded.
struct ExtendedPiece {
  std::string value;
  bool encoded = false;
  bool quoted = false;
};

// "name*", "name*0", "name*0*": the piece number (0 for "name*") and whether it is encoded.
std::optional<std::pair<unsigned, bool>> ExtendedSuffix(std::string_view attribute, std::string_view name) {
  if (attribute.size() <= name.size() || !SameLetters(attribute.substr(0, name.size()), name)) return std::nullopt;
  std::string_view rest = attribute.substr(name.size());
  if (rest.front() != '*') return std::nullopt;
  rest.remove_prefix(1);
  if (rest.empty()) return std::pair(0u, true);
  const bool encoded = rest.back() == '*';
  if (encoded) rest.remove_suffix(1);
  const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
  if (rest.empty() || rest.size() > 3 || !std::all_of(rest.begin(), rest.end(), isDigit))
    return std::nullopt;
  unsigned number = 0;
  for (const char c : rest) number = number * 10 + static_cast<unsigned>(c - '0');
  return std::pair(number, encoded);
}

// Joins the pieces in number order, as far as they run without a gap.
ParameterValue JoinPieces(const std::map<unsigned, ExtendedPiece>& pieces) {
  ParameterValue joined;
  joined.quoted = pieces.begin()->second.quoted;
  unsigned expected = pieces.begin()->first;
  for (const auto& [number, piece] : pieces) {
    if (number != expected++) break;
    std::string_view value = piece.value;
    if (piece.encoded && number == pieces.begin()->first) {
      joined.charset = std::string();
      // charset'language'text: the charset is kept, the language dropped
      const std::size_t first = value.find('\'');
      const std::size_t second = first == std::string_view::npos ? first : value.find('\'', first + 1);
      if (second != std::string_view::npos) {
        joined.charset = std::string(value.substr(0, first));
        value.remove_prefix(second + 1);
      }
    }
    joined.text += piece.encoded ? PercentDecoded(value) : std::string(value);
  }
  return joined;
}

}  // namespace

std::optional<ParameterValue> FindParameter(std::string_view fieldValue, std::string_view name) {
  ParameterReader reader(fieldValue);
  std::optional<ParameterValue> plain;
  std::map<unsigned, ExtendedPiece> pieces;
  while (std::optional<RawParameter> parameter = reader.Next()) {
    if (SameLetters(parameter->attribute, name)) {
      if (!plain) plain = ParameterValue{std::move(parameter->value), std::nullopt, parameter->quoted};
    } else if (const auto suffix = ExtendedSuffix(parameter->attribute, name)) {
      pieces.try_emplace(suffix->first, ExtendedPiece{std::move(parameter->value), suffix->second, parameter->quoted});
    }
  }
  if (!pieces.empty()) return JoinPieces(pieces);
  return plain;
}

std::optional<std::string> FindTokenParameter(std::string_view fieldValue, std::string_view name) {
  std::optional<ParameterValue> found = FindParameter(fieldValue, name);
  if (!found) return std::nullopt;
  std::string& text = found->text;
  if (!found->quoted) text = text.substr(0, static_cast<std::size_t>(
                                              std::find_if(text.begin(), text.end(), IsBlank) - text.begin()));
  return std::move(text);
}

}  // namespace mail
