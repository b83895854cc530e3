#include "platform/odbc/result_table.h"

#include <utility>

namespace kelvar::odbc {

Value wholeDecimalValue(std::string text) {
    Value decimal(std::move(text));
    if (const auto number = decimal.toWholeNumber()) {
        return Value(*number);
    }
    return decimal;
}

}  // namespace kelvar::odbc
