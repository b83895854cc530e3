#include "platform/odbc/odbc_database_access.h"

#include "platform/odbc/environment.h"
#include "platform/odbc/odbc_connection.h"
#include "platform/odbc/odbc_recordset.h"

namespace kelvar::odbc {

OdbcDatabaseAccess::OdbcDatabaseAccess(Timeouts timeouts)
    : environment_(std::make_shared<const Environment>()), timeouts_(timeouts) {}

OdbcDatabaseAccess::~OdbcDatabaseAccess() = default;

std::unique_ptr<Connection> OdbcDatabaseAccess::createConnection() {
    return std::make_unique<OdbcConnection>(environment_, timeouts_);
}

std::unique_ptr<Recordset> OdbcDatabaseAccess::createRecordset() {
    return std::make_unique<OdbcRecordset>();
}

}  // namespace kelvar::odbc
