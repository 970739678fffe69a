// The error the mail library raises for misuse and malformed data. Its text
// is Windows-1251, like all the library's text.
#pragma once

#include <stdexcept>
#include <string>

namespace mail {

class MailError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace mail
