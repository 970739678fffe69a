// The base of every exception whose text is Windows-1251: the mail library's,
// the socket layer's and the settings store's. Whoever shows an exception
// tells its encoding by this base; every other exception speaks UTF-8.
#pragma once

#include <stdexcept>

namespace text {

class Cp1251Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace text
