#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>

#include "platform/database.h"
#include "platform/odbc/odbc_database_access.h"
#include "standin_process.h"
#include "tests/unit/odbc/test_support.h"

namespace kelvar::odbc::test {

// An OLE DB value in single quotes, any single quote inside doubled, as the login writes it.
inline std::string oleDbQuoted(std::string_view value) {
    std::string quoted = "'";
    for (const char c : value) {
        quoted += c;
        if (c == '\'') {
            quoted += '\'';
        }
    }
    return quoted + "'";
}

// The login's connection string for sa on zrsystem at a loopback port.
inline std::string oleDbLogin(std::uint16_t port, std::string_view password) {
    return "Provider=SQLOLEDB;Password=" + oleDbQuoted(password) +
           ";Persist Security Info=True;User ID='sa';Initial Catalog='zrsystem';Data Source='" +
           "127.0.0.1," + std::to_string(port) + "'";
}

// A stand-in with the sample data and the ODBC component in front of it.
class StandinTest : public ::testing::Test {
  protected:
    explicit StandinTest(standin::StandinOptions options = {}, Timeouts timeouts = {})
        : server_(std::move(options)), access_(timeouts) {}

    [[nodiscard]] std::string login() const {
        return oleDbLogin(server_.port(), server_.password());
    }

    // A connection already open on zrsystem.
    [[nodiscard]] std::unique_ptr<Connection> openConnection() {
        auto con = access_.createConnection();
        con->open(login());
        return con;
    }

    standin::StandinProcess server_;
    OdbcDatabaseAccess access_;
};

}  // namespace kelvar::odbc::test
