// gtest's name for a case of a parameterised test: the case's own `name`
// with every character but a letter or a digit made "_".
#pragma once

#include <cctype>
#include <string>

namespace testsupport {

struct CaseName {
  template <class Info>
  std::string operator()(const Info& info) const {
    std::string name = info.param.name;
    for (char& c : name)
      if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
  }
};

}  // namespace testsupport
