// The error the mail library raises for misuse and malformed data. Its text
// is Windows-1251, like all the library's text.
#pragma once

#include <string>

#include "platform/cp1251_error.h"

namespace mail {

class MailError : public text::Cp1251Error {
 public:
  using text::Cp1251Error::Cp1251Error;
};

}  // namespace mail
