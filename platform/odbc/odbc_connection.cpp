#include "platform/odbc/odbc_connection.h"

#include "platform/odbc/ado_errors.h"
#include "platform/odbc/connection_string.h"
#include "platform/odbc/driver_connection_string.h"
#include "platform/odbc/environment.h"
#include "platform/odbc/session.h"
#include "platform/odbc/statement.h"
#include "platform/odbc/utf16.h"

namespace kelvar::odbc {

OdbcConnection::OdbcConnection(std::shared_ptr<const Environment> environment, Timeouts timeouts)
    : environment_(std::move(environment)), timeouts_(timeouts) {}

OdbcConnection::~OdbcConnection() = default;

int OdbcConnection::state() {
    return session_ ? kOpen : kClosed;
}

void OdbcConnection::open(std::string_view connectionString) {
    if (session_) {
        throw ado::openObject();
    }
    const ConnectionSettings settings = parseOleDbConnectionString(connectionString);
    const std::string driver = chooseDriver(environment_->installedDrivers());
    session_ = std::make_unique<Session>(
        *environment_, buildDriverConnectionString(settings, driver), timeouts_.login);
}

void OdbcConnection::close() {
    if (!session_) {
        throw ado::closedObject();
    }
    // Closed whatever the driver says about the disconnect.
    const std::unique_ptr<Session> ending = std::move(session_);
    ending->disconnect();
}

void OdbcConnection::setDefaultDatabase(std::string_view name) {
    const Session& live = session();
    std::u16string catalog = toUtf16(name);
    live.handle().check(
        SQLSetConnectAttrW(live.handle().get(), SQL_ATTR_CURRENT_CATALOG, wide(catalog),
                           static_cast<SQLINTEGER>(catalog.size() * sizeof(char16_t))));
}

void OdbcConnection::execute(std::string_view sql) {
    const StatementHandle statement = newStatement(session(), timeouts_.statement);
    executeDirect(statement, sql);
    drainResults(statement);
}

const Session& OdbcConnection::session() const {
    if (!session_) {
        throw ado::unusableConnection();
    }
    return *session_;
}

}  // namespace kelvar::odbc
