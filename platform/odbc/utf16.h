#pragma once

#include <string>
#include <string_view>

namespace kelvar::odbc {

// The wide ODBC calls take UTF-16 on every platform; the rest of the program speaks UTF-8.
// Bytes or code units that are not valid become U+FFFD rather than being dropped.
[[nodiscard]] std::u16string toUtf16(std::string_view utf8);
[[nodiscard]] std::string toUtf8(std::u16string_view utf16);

}  // namespace kelvar::odbc
