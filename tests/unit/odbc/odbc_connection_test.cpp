#include "platform/odbc/odbc_connection.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>

#include "platform/odbc/odbc_database_access.h"
#include "platform/odbc/timeouts.h"
#include "test_support.h"

namespace kelvar::odbc {
namespace {

TEST(Timeouts, DefaultToFifteenSecondsForTheLoginAndThirtyForAStatement) {
    const Timeouts defaults;
    EXPECT_EQ(defaults.login, std::chrono::seconds{15});
    EXPECT_EQ(defaults.statement, std::chrono::seconds{30});
}

// These need the driver manager but no server: every case fails before anything is sent.
class ClosedOdbcConnection : public ::testing::Test {
  protected:
    OdbcDatabaseAccess access_;
    std::unique_ptr<Connection> con_ = access_.createConnection();
};

TEST_F(ClosedOdbcConnection, StartsClosed) {
    EXPECT_EQ(con_->state(), Connection::kClosed);
}

TEST_F(ClosedOdbcConnection, CloseFailsAsAClosedObject) {
    EXPECT_EQ(test::failureOf([&] { con_->close(); }).number(), 3704);
}

struct UseCase {
    const char* label;
    std::function<void(Connection&)> call;
};

class ClosedOdbcConnectionUse : public ClosedOdbcConnection,
                                public ::testing::WithParamInterface<UseCase> {};

TEST_P(ClosedOdbcConnectionUse, FailsAsAnUnusableConnection) {
    const DatabaseError error = test::failureOf([&] { GetParam().call(*con_); });
    EXPECT_EQ(error.number(), 3709);
    EXPECT_EQ(error.description(),
              "The connection cannot be used to perform this operation. It is either closed or "
              "invalid in this context.");
}

INSTANTIATE_TEST_SUITE_P(
    Operations, ClosedOdbcConnectionUse,
    ::testing::Values(UseCase{"execute", [](Connection& con) { con.execute("select 1"); }},
                      UseCase{"setDefaultDatabase",
                              [](Connection& con) { con.setDefaultDatabase("zrdata_001_2024"); }}),
    [](const auto& info) { return test::testName(info.param.label); });

struct BadStringCase {
    const char* label;
    const char* connectionString;
    long number;
};

class OdbcConnectionBadString : public ClosedOdbcConnection,
                                public ::testing::WithParamInterface<BadStringCase> {};

TEST_P(OdbcConnectionBadString, FailsToOpenAndStaysClosed) {
    EXPECT_EQ(test::failureOf([&] { con_->open(GetParam().connectionString); }).number(),
              GetParam().number);
    EXPECT_EQ(con_->state(), Connection::kClosed);
    // Still usable: the next failure is the same, not a complaint about an open object.
    EXPECT_EQ(test::failureOf([&] { con_->open(GetParam().connectionString); }).number(),
              GetParam().number);
}

INSTANTIATE_TEST_SUITE_P(
    Strings, OdbcConnectionBadString,
    ::testing::Values(BadStringCase{"other provider", "Provider=MSDASQL;Data Source=x", 3706},
                      BadStringCase{"syntax error", "Provider=SQLOLEDB;Password='x", -2147217805},
                      BadStringCase{"bad port", "Provider=SQLOLEDB;Data Source='h,99999'", 3001}),
    [](const auto& info) { return test::testName(info.param.label); });

}  // namespace
}  // namespace kelvar::odbc
