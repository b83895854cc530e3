#include "platform/odbc/statement.h"

#include "platform/odbc/utf16.h"

namespace kelvar::odbc {

StatementHandle newStatement(const Session& session, std::chrono::seconds timeout) {
    StatementHandle statement = StatementHandle::allocate(SQL_HANDLE_DBC, session.handle().get());
    statement.check(
        SQLSetStmtAttrW(statement.get(), SQL_ATTR_QUERY_TIMEOUT,
                        reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(timeout.count())), 0));
    return statement;
}

void executeDirect(const StatementHandle& statement, std::string_view sql) {
    std::u16string text = toUtf16(sql);
    const SQLRETURN code =
        SQLExecDirectW(statement.get(), wide(text), static_cast<SQLINTEGER>(text.size()));
    // No data: a searched update or delete that touched no row.
    if (code != SQL_NO_DATA) {
        statement.check(code);
    }
}

void drainResults(const StatementHandle& statement) {
    SQLRETURN code = SQL_SUCCESS;
    while ((code = SQLMoreResults(statement.get())) != SQL_NO_DATA) {
        statement.check(code);
    }
}

}  // namespace kelvar::odbc
