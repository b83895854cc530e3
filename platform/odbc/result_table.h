#pragma once

#include <string>
#include <vector>

#include "platform/value.h"

namespace kelvar::odbc {

// The rows of one query, read in full so that no statement stays busy on the connection.
struct ResultTable {
    std::vector<std::string> columns;
    std::vector<std::vector<Value>> rows;
};

// How a column's values are handed out.
enum class ColumnKind {
    WholeNumber,   // integer types and BIT
    WholeDecimal,  // DECIMAL/NUMERIC without a fraction: integers when they fit, else text
    Floating,      // REAL/FLOAT
    Text,          // everything else, as the driver writes it
};

// A decimal written by the driver as text ("-42", "123456789012345678901234"): a whole number when
// it fits in 64 bits, otherwise the text unchanged.
[[nodiscard]] Value wholeDecimalValue(std::string text);

}  // namespace kelvar::odbc
