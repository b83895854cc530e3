#include "platform/odbc/odbc_recordset.h"

#include <algorithm>

#include "platform/odbc/ado_errors.h"
#include "platform/odbc/odbc_connection.h"
#include "platform/odbc/result_reader.h"
#include "platform/odbc/statement.h"
#include "platform/text.h"

namespace kelvar::odbc {

void OdbcRecordset::open(std::string_view sql, Connection& connection) {
    if (table_) {
        throw ado::openObject();
    }
    auto* odbcConnection = dynamic_cast<OdbcConnection*>(&connection);
    if (odbcConnection == nullptr) {
        throw ado::unusableConnection();
    }
    const StatementHandle statement =
        newStatement(odbcConnection->session(), odbcConnection->commandTimeout());
    executeDirect(statement, sql);
    table_ = readAllRows(statement);
    row_ = 0;
}

int OdbcRecordset::state() {
    return table_ ? kOpen : kClosed;
}

bool OdbcRecordset::eof() {
    return row_ >= requireOpen().rows.size();
}

Value OdbcRecordset::field(std::string_view name) {
    const ResultTable& table = requireOpen();
    const auto column = std::find_if(
        table.columns.begin(), table.columns.end(),
        [name](const std::string& candidate) { return equalsIgnoringAsciiCase(candidate, name); });
    if (column == table.columns.end()) {
        throw ado::noSuchField();
    }
    if (row_ >= table.rows.size()) {
        throw ado::noCurrentRecord();
    }
    return table.rows[row_][static_cast<std::size_t>(column - table.columns.begin())];
}

void OdbcRecordset::moveNext() {
    if (row_ >= requireOpen().rows.size()) {
        throw ado::noCurrentRecord();
    }
    ++row_;
}

void OdbcRecordset::close() {
    requireOpen();
    table_.reset();
    row_ = 0;
}

const ResultTable& OdbcRecordset::requireOpen() const {
    if (!table_) {
        throw ado::closedObject();
    }
    return *table_;
}

}  // namespace kelvar::odbc
