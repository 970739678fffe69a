// The parameters of a structured header field such as Content-Type or
// Content-Disposition, read from the whole unfolded value: `name=value`,
// `name="quoted value"` with blanks allowed around "=", and RFC 2231's
// extended and continued forms (`name*=charset'language'%XX`, `name*0*=`,
// `name*1=`). Parameters need not follow a ";": some senders leave it out.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace mail {

struct ParameterValue {
  std::string text;                    // quotes and RFC 2231 percent escapes undone
  std::optional<std::string> charset;  // for an RFC 2231 extended value: its charset, maybe empty
  bool quoted = false;                 // the value, or its first piece, was a quoted string
};

// Parameter `name` (matched in any case) of a field's value; an RFC 2231 value
// is preferred to a plain one of the same name. Nothing when it is absent.
std::optional<ParameterValue> FindParameter(std::string_view fieldValue, std::string_view name);

// A token parameter (boundary, charset): an unquoted value ends at its first blank.
std::optional<std::string> FindTokenParameter(std::string_view fieldValue, std::string_view name);

}  // namespace mail
