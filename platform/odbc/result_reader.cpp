#include "platform/odbc/result_reader.h"

#include <array>
#include <cstdint>
#include <optional>

#include "platform/odbc/statement.h"
#include "platform/odbc/utf16.h"

namespace kelvar::odbc {
namespace {

ColumnKind kindOf(SQLSMALLINT dataType, SQLSMALLINT decimalDigits) {
    switch (dataType) {
        case SQL_BIT:
        case SQL_TINYINT:
        case SQL_SMALLINT:
        case SQL_INTEGER:
        case SQL_BIGINT:
            return ColumnKind::WholeNumber;
        case SQL_DECIMAL:
        case SQL_NUMERIC:
            return decimalDigits == 0 ? ColumnKind::WholeDecimal : ColumnKind::Text;
        case SQL_REAL:
        case SQL_FLOAT:
        case SQL_DOUBLE:
            return ColumnKind::Floating;
        default:
            return ColumnKind::Text;
    }
}

// The column's name goes into the table; its kind says how to read its values.
ColumnKind describe(const StatementHandle& statement, SQLUSMALLINT number, ResultTable& table) {
    std::u16string name(128, u'\0');
    SQLSMALLINT nameLength = 0;
    SQLSMALLINT dataType = 0;
    SQLULEN size = 0;
    SQLSMALLINT decimalDigits = 0;
    SQLSMALLINT nullable = 0;
    const auto ask = [&] {
        statement.check(SQLDescribeColW(statement.get(), number, wide(name),
                                        static_cast<SQLSMALLINT>(name.size()), &nameLength,
                                        &dataType, &size, &decimalDigits, &nullable));
    };
    ask();
    if (nameLength >= static_cast<SQLSMALLINT>(name.size())) {
        name.assign(static_cast<std::size_t>(nameLength) + 1, u'\0');
        ask();
    }
    name.resize(static_cast<std::size_t>(nameLength));
    table.columns.push_back(toUtf8(name));
    return kindOf(dataType, decimalDigits);
}

// Fixed-size values: one call, null when the indicator says so.
template <typename T>
std::optional<T> readFixed(const StatementHandle& statement, SQLUSMALLINT number,
                           SQLSMALLINT cType) {
    T value{};
    SQLLEN indicator = 0;
    statement.check(SQLGetData(statement.get(), number, cType, &value, sizeof(value), &indicator));
    if (indicator == SQL_NULL_DATA) {
        return std::nullopt;
    }
    return value;
}

// Text of any length, read in pieces as UTF-16.
std::optional<std::string> readText(const StatementHandle& statement, SQLUSMALLINT number) {
    std::array<char16_t, 2048> buffer{};
    constexpr auto kBufferBytes = static_cast<SQLLEN>(sizeof(buffer));
    constexpr auto kRoomBytes = kBufferBytes - static_cast<SQLLEN>(sizeof(char16_t));
    std::u16string text;
    while (true) {
        SQLLEN indicator = 0;
        const SQLRETURN code = SQLGetData(statement.get(), number, SQL_C_WCHAR, buffer.data(),
                                          kBufferBytes, &indicator);
        if (code == SQL_NO_DATA) {
            break;  // the previous piece was the last
        }
        statement.check(code);
        if (indicator == SQL_NULL_DATA) {
            return std::nullopt;
        }
        const bool truncated = indicator == SQL_NO_TOTAL || indicator > kRoomBytes;
        const SQLLEN bytes = truncated ? kRoomBytes : indicator;
        text.append(buffer.data(), static_cast<std::size_t>(bytes) / sizeof(char16_t));
        if (!truncated) {
            break;
        }
    }
    return toUtf8(text);
}

Value readValue(const StatementHandle& statement, SQLUSMALLINT number, ColumnKind kind) {
    switch (kind) {
        case ColumnKind::WholeNumber:
            if (auto value = readFixed<std::int64_t>(statement, number, SQL_C_SBIGINT)) {
                return Value(*value);
            }
            return {};
        case ColumnKind::Floating:
            if (auto value = readFixed<double>(statement, number, SQL_C_DOUBLE)) {
                return Value(*value);
            }
            return {};
        case ColumnKind::WholeDecimal:
            if (auto text = readText(statement, number)) {
                return wholeDecimalValue(std::move(*text));
            }
            return {};
        case ColumnKind::Text:
            if (auto text = readText(statement, number)) {
                return Value(std::move(*text));
            }
            return {};
    }
    return {};
}

// Moves to the first result that has columns; false when there is none.
bool findRowResult(const StatementHandle& statement, SQLSMALLINT& columnCount) {
    while (true) {
        statement.check(SQLNumResultCols(statement.get(), &columnCount));
        if (columnCount > 0) {
            return true;
        }
        const SQLRETURN code = SQLMoreResults(statement.get());
        if (code == SQL_NO_DATA) {
            return false;
        }
        statement.check(code);
    }
}

}  // namespace

std::optional<ResultTable> readAllRows(const StatementHandle& statement) {
    SQLSMALLINT columnCount = 0;
    if (!findRowResult(statement, columnCount)) {
        return std::nullopt;
    }
    ResultTable table;
    std::vector<ColumnKind> kinds;
    for (SQLUSMALLINT number = 1; number <= static_cast<SQLUSMALLINT>(columnCount); ++number) {
        kinds.push_back(describe(statement, number, table));
    }
    SQLRETURN code = SQL_SUCCESS;
    while ((code = SQLFetch(statement.get())) != SQL_NO_DATA) {
        statement.check(code);
        std::vector<Value> row;
        row.reserve(kinds.size());
        for (SQLUSMALLINT number = 1; number <= kinds.size(); ++number) {
            row.push_back(readValue(statement, number, kinds[number - 1]));
        }
        table.rows.push_back(std::move(row));
    }
    drainResults(statement);
    return table;
}

}  // namespace kelvar::odbc
