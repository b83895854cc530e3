#include "odbc_client.h"

#include <memory>
#include <sstream>
#include <stdexcept>

#include "utf16.h"

namespace kelvar::standin::test {
namespace {

// Wide calls throughout: FreeTDS 1.3 reads an ANSI connection string as ISO-8859-1 whatever
// ClientCharset says, and after a wide connect it reads ANSI statement text the same way.
std::vector<SQLWCHAR> wide(const std::string& utf8) {
    const Bytes u = toUtf16le(utf8);
    std::vector<SQLWCHAR> out(u.size() / 2 + 1, 0);
    for (std::size_t i = 0; i + 1 < out.size(); ++i) {
        out[i] = static_cast<SQLWCHAR>(u[2 * i] | (u[2 * i + 1] << 8));
    }
    return out;
}

std::string narrow(const SQLWCHAR* text, std::size_t units) {
    Bytes u;
    for (std::size_t i = 0; i < units; ++i) {
        u.push_back(static_cast<std::uint8_t>(text[i]));
        u.push_back(static_cast<std::uint8_t>(text[i] >> 8));
    }
    return fromUtf16le(u);
}

std::size_t wideLength(const SQLWCHAR* text) {
    std::size_t n = 0;
    while (text[n] != 0) {
        ++n;
    }
    return n;
}

std::vector<Diagnostic> diagnostics(const OdbcHandle& h) {
    std::vector<Diagnostic> out;
    for (SQLSMALLINT i = 1;; ++i) {
        SQLWCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLWCHAR text[1024] = {};
        SQLSMALLINT length = 0;
        const SQLRETURN rc = SQLGetDiagRecW(h.type(), h.get(), i, state, &native, text,
                                            sizeof text / sizeof text[0], &length);
        if (!SQL_SUCCEEDED(rc)) {
            return out;
        }
        out.push_back({narrow(state, wideLength(state)), native, narrow(text, wideLength(text))});
    }
}

CallResult resultOf(SQLRETURN rc, const OdbcHandle& h) {
    return {rc, diagnostics(h)};
}

Cell readCell(SQLHSTMT stmt, SQLUSMALLINT column, SQLSMALLINT type) {
    SQLLEN indicator = 0;
    if (type == SQL_BIGINT || type == SQL_INTEGER || type == SQL_SMALLINT) {
        SQLBIGINT v = 0;
        SQLGetData(stmt, column, SQL_C_SBIGINT, &v, 0, &indicator);
        return indicator == SQL_NULL_DATA ? Cell{} : Cell{static_cast<std::int64_t>(v)};
    }
    if (type == SQL_DOUBLE || type == SQL_FLOAT || type == SQL_REAL) {
        double v = 0;
        SQLGetData(stmt, column, SQL_C_DOUBLE, &v, 0, &indicator);
        return indicator == SQL_NULL_DATA ? Cell{} : Cell{v};
    }
    // Text in pieces, since a value may be longer than any buffer we pick.
    std::vector<SQLWCHAR> text;
    SQLWCHAR buffer[2048];
    constexpr std::size_t kRoom = sizeof buffer / sizeof buffer[0] - 1;  // less the terminator
    for (;;) {
        const SQLRETURN rc =
            SQLGetData(stmt, column, SQL_C_WCHAR, buffer, sizeof buffer, &indicator);
        if (rc == SQL_NO_DATA) {
            break;
        }
        if (!SQL_SUCCEEDED(rc)) {
            throw std::runtime_error("SQLGetData failed");
        }
        if (indicator == SQL_NULL_DATA) {
            return Cell{};
        }
        const bool truncated =
            indicator == SQL_NO_TOTAL || indicator > static_cast<SQLLEN>(kRoom * sizeof(SQLWCHAR));
        const std::size_t units =
            truncated ? kRoom : static_cast<std::size_t>(indicator) / sizeof(SQLWCHAR);
        text.insert(text.end(), buffer, buffer + units);
        if (!truncated) {
            break;
        }
    }
    return Cell{narrow(text.data(), text.size())};
}

}  // namespace

bool CallResult::hasNative(SQLINTEGER native) const {
    for (const auto& d : diagnostics) {
        if (d.native == native) {
            return true;
        }
    }
    return false;
}

bool CallResult::hasState(const std::string& state) const {
    for (const auto& d : diagnostics) {
        if (d.state == state) {
            return true;
        }
    }
    return false;
}

std::string CallResult::describe() const {
    std::ostringstream out;
    out << "rc=" << rc;
    for (const auto& d : diagnostics) {
        out << " [" << d.state << "/" << d.native << "] " << d.message;
    }
    return out.str();
}

OdbcHandle::OdbcHandle(SQLSMALLINT type, SQLHANDLE parent) : type_(type) {
    if (!SQL_SUCCEEDED(SQLAllocHandle(type, parent, &handle_))) {
        throw std::runtime_error("SQLAllocHandle failed");
    }
}

OdbcHandle::~OdbcHandle() {
    if (handle_ != SQL_NULL_HANDLE) {
        SQLFreeHandle(type_, handle_);
    }
}

namespace {
// The driver manager wants the ODBC version set before any connection handle is allocated.
SQLHANDLE asOdbc3(const OdbcHandle& env) {
    SQLSetEnvAttr(env.get(), SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    return env.get();
}
}  // namespace

OdbcClient::OdbcClient()
    : env_(SQL_HANDLE_ENV, SQL_NULL_HANDLE), dbc_(SQL_HANDLE_DBC, asOdbc3(env_)) {
    // A safety net against a hung server, not a measurement: no test depends on it.
    SQLSetConnectAttr(dbc_.get(), SQL_ATTR_LOGIN_TIMEOUT, reinterpret_cast<SQLPOINTER>(60), 0);
}

OdbcClient::~OdbcClient() {
    if (connected_) {
        SQLDisconnect(dbc_.get());
    }
}

CallResult OdbcClient::connect(const std::string& connectionString) {
    std::vector<SQLWCHAR> in = wide(connectionString);
    SQLWCHAR out[1024];
    SQLSMALLINT outLength = 0;
    const SQLRETURN rc =
        SQLDriverConnectW(dbc_.get(), nullptr, in.data(), SQL_NTS, out, sizeof out / sizeof out[0],
                          &outLength, SQL_DRIVER_NOPROMPT);
    connected_ = SQL_SUCCEEDED(rc);
    return resultOf(rc, dbc_);
}

CallResult OdbcClient::setCatalog(const std::string& database) {
    std::vector<SQLWCHAR> name = wide(database);
    const SQLRETURN rc =
        SQLSetConnectAttrW(dbc_.get(), SQL_ATTR_CURRENT_CATALOG, name.data(), SQL_NTS);
    return resultOf(rc, dbc_);
}

std::string OdbcClient::catalog() {
    SQLWCHAR name[256] = {};
    SQLINTEGER length = 0;
    SQLGetConnectAttrW(dbc_.get(), SQL_ATTR_CURRENT_CATALOG, name, sizeof name, &length);
    return narrow(name, wideLength(name));
}

CallResult OdbcClient::execute(const std::string& sql, Rows* rows, SQLULEN timeoutSeconds) {
    OdbcHandle stmt(SQL_HANDLE_STMT, dbc_.get());
    if (timeoutSeconds > 0) {
        SQLSetStmtAttr(stmt.get(), SQL_ATTR_QUERY_TIMEOUT,
                       reinterpret_cast<SQLPOINTER>(timeoutSeconds), 0);
    }
    std::vector<SQLWCHAR> text = wide(sql);
    const SQLRETURN rc = SQLExecDirectW(stmt.get(), text.data(), SQL_NTS);
    CallResult result = resultOf(rc, stmt);
    if (!SQL_SUCCEEDED(rc) || rows == nullptr) {
        return result;
    }
    SQLRowCount(stmt.get(), &rows->rowCount);
    SQLSMALLINT columns = 0;
    SQLNumResultCols(stmt.get(), &columns);
    for (SQLUSMALLINT c = 1; c <= columns; ++c) {
        SQLWCHAR name[256] = {};
        SQLSMALLINT nameLength = 0;
        SQLSMALLINT type = 0;
        SQLULEN size = 0;
        SQLSMALLINT digits = 0;
        SQLSMALLINT nullable = 0;
        SQLDescribeColW(stmt.get(), c, name, sizeof name / sizeof name[0], &nameLength, &type,
                        &size, &digits, &nullable);
        rows->names.push_back(narrow(name, wideLength(name)));
        rows->types.push_back(type);
    }
    if (columns == 0) {
        return result;
    }
    SQLRETURN fetch;
    while ((fetch = SQLFetch(stmt.get())) == SQL_SUCCESS || fetch == SQL_SUCCESS_WITH_INFO) {
        std::vector<Cell> row;
        for (SQLUSMALLINT c = 1; c <= columns; ++c) {
            row.push_back(readCell(stmt.get(), c, rows->types[c - 1]));
        }
        rows->values.push_back(std::move(row));
    }
    if (fetch != SQL_NO_DATA) {
        return resultOf(fetch, stmt);
    }
    return result;
}

CallResult OdbcClient::setAutocommit(bool on) {
    const SQLRETURN rc = SQLSetConnectAttrW(
        dbc_.get(), SQL_ATTR_AUTOCOMMIT,
        reinterpret_cast<SQLPOINTER>(on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF), SQL_IS_UINTEGER);
    return resultOf(rc, dbc_);
}

CallResult OdbcClient::executeWithParameter(const std::string& sql, SQLINTEGER value) {
    OdbcHandle stmt(SQL_HANDLE_STMT, dbc_.get());
    SQLLEN indicator = 0;
    SQLBindParameter(stmt.get(), 1, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0, &value, 0,
                     &indicator);
    std::vector<SQLWCHAR> text = wide(sql);
    const SQLRETURN rc = SQLExecDirectW(stmt.get(), text.data(), SQL_NTS);
    return resultOf(rc, stmt);
}

}  // namespace kelvar::standin::test
