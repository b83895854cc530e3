#pragma once

#include <optional>

#include "platform/odbc/odbc_handle.h"
#include "platform/odbc/result_table.h"

namespace kelvar::odbc {

// Reads every row of the first result that has columns, then steps past the remaining results.
// Nothing when the statement returned no rows at all. Throws DatabaseError on failure.
[[nodiscard]] std::optional<ResultTable> readAllRows(const StatementHandle& statement);

}  // namespace kelvar::odbc
