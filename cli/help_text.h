#pragma once

#include <string_view>

namespace kelvar::cli {

// What kelvar-cli --help prints.
[[nodiscard]] std::string_view helpText();

}  // namespace kelvar::cli
