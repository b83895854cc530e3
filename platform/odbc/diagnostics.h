#pragma once

#include <vector>

#include "platform/odbc/odbc_api.h"
#include "platform/odbc/odbc_error.h"

namespace kelvar::odbc {

// Every diagnostic record of a handle, in order.
[[nodiscard]] std::vector<DiagnosticRecord> readDiagnostics(SQLSMALLINT handleType,
                                                            SQLHANDLE handle);

// Throws the OdbcError for a call on a handle that returned a failing code.
[[noreturn]] void throwDiagnostics(SQLRETURN code, SQLSMALLINT handleType, SQLHANDLE handle);

}  // namespace kelvar::odbc
