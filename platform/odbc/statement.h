#pragma once

#include <chrono>
#include <string_view>

#include "platform/odbc/odbc_handle.h"
#include "platform/odbc/session.h"

namespace kelvar::odbc {

// A new statement on a live login that gives up after `timeout` of silence from the server
// (zero: never).
[[nodiscard]] StatementHandle newStatement(const Session& session, std::chrono::seconds timeout);

// Sends SQL text as it stands (no parameters, no preparing). Throws DatabaseError on failure.
void executeDirect(const StatementHandle& statement, std::string_view sql);

// Steps past every remaining result, so the connection is idle afterwards. Throws DatabaseError
// when a later statement of the batch failed.
void drainResults(const StatementHandle& statement);

}  // namespace kelvar::odbc
