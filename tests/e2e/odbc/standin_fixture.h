#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/database.h"
#include "platform/odbc/odbc_database_access.h"
#include "standin_process.h"
#include "tests/unit/odbc/test_support.h"

namespace kelvar::odbc::test {

// A stand-in with the sample data and the ODBC component in front of it.
class StandinTest : public ::testing::Test {
  protected:
    explicit StandinTest(standin::StandinOptions options = {}, Timeouts timeouts = {})
        : server_(std::move(options)), access_(timeouts) {}

    [[nodiscard]] std::string login() const { return server_.oleDbLogin(); }

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
