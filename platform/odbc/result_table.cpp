#include "platform/odbc/result_table.h"

#include <charconv>
#include <cstdint>

namespace kelvar::odbc {

Value wholeDecimalValue(std::string text) {
    std::int64_t number = 0;
    const char* begin = text.data();
    const char* end = text.data() + text.size();
    if (begin != end && *begin == '+') {
        ++begin;  // from_chars takes no plus sign
    }
    const auto [stop, error] = std::from_chars(begin, end, number);
    if (begin != end && error == std::errc{} && stop == end) {
        return Value(number);
    }
    return Value(std::move(text));
}

}  // namespace kelvar::odbc
