#pragma once

#include <string>

namespace kelvar {

// The help message: the 18 handled kinds, one per line in table order, an empty line and the
// contact person.
[[nodiscard]] std::string helpText();

}  // namespace kelvar
