#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kelvar::cli {

// The columns a UTF-8 text takes in a terminal: East Asian wide and full-width characters take
// two, combining marks none, everything else one. Bytes that are not UTF-8 count one each.
[[nodiscard]] std::size_t displayWidth(std::string_view text);

// Rows of cells laid out in columns two blanks apart, each column as wide as its widest cell on
// screen; the last cell of a line is not padded. Every line ends in a line feed.
[[nodiscard]] std::string formatTable(const std::vector<std::vector<std::string>>& rows);

}  // namespace kelvar::cli
