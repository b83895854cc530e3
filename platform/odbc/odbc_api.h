#pragma once

// The one place the ODBC headers come in; Windows needs its own types declared first.
#ifdef _WIN32
#include <windows.h>
#endif
#include <sql.h>
#include <sqlext.h>

#include <string>
#include <string_view>

namespace kelvar::odbc {

// mingw-w64's headers (10.0) predate ODBC 3.8's version value; Windows' driver manager knows it.
#ifndef SQL_OV_ODBC3_80
#define SQL_OV_ODBC3_80 380UL
#endif

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "the wide ODBC calls must take UTF-16");

// The one test of an ODBC return code: success, with or without diagnostics to read.
[[nodiscard]] constexpr bool succeeded(SQLRETURN code) noexcept {
    return code == SQL_SUCCESS || code == SQL_SUCCESS_WITH_INFO;
}

// UTF-16 text as the wide calls take it.
[[nodiscard]] inline SQLWCHAR* wide(std::u16string& text) noexcept {
    return reinterpret_cast<SQLWCHAR*>(text.data());
}
[[nodiscard]] inline SQLWCHAR* wide(char16_t* text) noexcept {
    return reinterpret_cast<SQLWCHAR*>(text);
}

}  // namespace kelvar::odbc
