// A small ODBC client for the stand-in's tests: plain (wide) ODBC calls through unixODBC and the
// FreeTDS driver, handles owned, every diagnostic record kept so tests can look for SQLSTATEs and
// native error numbers.
#pragma once

#include <sql.h>
#include <sqlext.h>

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace kelvar::standin::test {

struct Diagnostic {
    std::string state;
    SQLINTEGER native = 0;
    std::string message;
};

struct CallResult {
    SQLRETURN rc = SQL_ERROR;
    std::vector<Diagnostic> diagnostics;

    bool ok() const { return SQL_SUCCEEDED(rc); }
    bool hasNative(SQLINTEGER native) const;
    bool hasState(const std::string& state) const;
    std::string describe() const;  // for assertion messages
};

using Cell = std::variant<std::monostate, std::int64_t, double, std::string>;

struct Rows {
    std::vector<std::string> names;
    std::vector<SQLSMALLINT> types;  // SQL data types as SQLDescribeCol reports them
    std::vector<std::vector<Cell>> values;
    SQLLEN rowCount = -1;  // SQLRowCount after execution
};

class OdbcHandle {
  public:
    OdbcHandle(SQLSMALLINT type, SQLHANDLE parent);
    OdbcHandle(const OdbcHandle&) = delete;
    OdbcHandle& operator=(const OdbcHandle&) = delete;
    ~OdbcHandle();
    SQLHANDLE get() const { return handle_; }
    SQLSMALLINT type() const { return type_; }

  private:
    SQLSMALLINT type_;
    SQLHANDLE handle_ = SQL_NULL_HANDLE;
};

class OdbcClient {
  public:
    OdbcClient();
    ~OdbcClient();

    CallResult connect(const std::string& connectionString);
    // SQL_ATTR_CURRENT_CATALOG, which FreeTDS turns into `USE [name]`.
    CallResult setCatalog(const std::string& database);
    std::string catalog();
    // Runs `sql` with SQLExecDirect and fetches every row; a timeout of 0 means none.
    CallResult execute(const std::string& sql, Rows* rows = nullptr, SQLULEN timeoutSeconds = 0);

    // SQL_ATTR_AUTOCOMMIT; turned off, FreeTDS begins a transaction with a transaction-manager
    // request.
    CallResult setAutocommit(bool on);

    // SQLExecDirect with one bound integer parameter, which FreeTDS sends as an RPC.
    CallResult executeWithParameter(const std::string& sql, SQLINTEGER value);

  private:
    OdbcHandle env_;
    OdbcHandle dbc_;
    bool connected_ = false;
};

}  // namespace kelvar::standin::test
