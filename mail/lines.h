// A text held as its lines, without their line breaks.
#pragma once

#include <string>
#include <vector>

namespace mail {

using Lines = std::vector<std::string>;

}  // namespace mail
