#include "platform/odbc/odbc_recordset.h"

#include <gtest/gtest.h>

#include <functional>

#include "fakes/fake_database.h"
#include "platform/odbc/odbc_database_access.h"
#include "test_support.h"

namespace kelvar::odbc {
namespace {

class ClosedOdbcRecordset : public ::testing::Test {
  protected:
    OdbcDatabaseAccess access_;
    std::unique_ptr<Recordset> rs_ = access_.createRecordset();
};

TEST_F(ClosedOdbcRecordset, StartsClosed) {
    EXPECT_EQ(rs_->state(), Recordset::kClosed);
}

struct MisuseCase {
    const char* label;
    std::function<void(Recordset&)> call;
};

class ClosedOdbcRecordsetMisuse : public ClosedOdbcRecordset,
                                  public ::testing::WithParamInterface<MisuseCase> {};

TEST_P(ClosedOdbcRecordsetMisuse, FailsAsAClosedObject) {
    const DatabaseError error = test::failureOf([&] { GetParam().call(*rs_); });
    EXPECT_EQ(error.number(), 3704);
    EXPECT_EQ(error.description(), "Operation is not allowed when the object is closed.");
}

INSTANTIATE_TEST_SUITE_P(
    Operations, ClosedOdbcRecordsetMisuse,
    ::testing::Values(MisuseCase{"eof", [](Recordset& rs) { (void)rs.eof(); }},
                      MisuseCase{"field", [](Recordset& rs) { (void)rs.field("name"); }},
                      MisuseCase{"moveNext", [](Recordset& rs) { rs.moveNext(); }},
                      MisuseCase{"close", [](Recordset& rs) { rs.close(); }}),
    [](const auto& info) { return test::testName(info.param.label); });

TEST_F(ClosedOdbcRecordset, RefusesAConnectionOfAnotherComponent) {
    fake::FakeDatabase fake;
    fake.startOpen();
    const auto foreign = fake.createConnection();
    EXPECT_EQ(test::failureOf([&] { rs_->open("select 1", *foreign); }).number(), 3709);
    EXPECT_EQ(rs_->state(), Recordset::kClosed);
}

TEST_F(ClosedOdbcRecordset, RefusesAClosedConnection) {
    const auto con = access_.createConnection();
    EXPECT_EQ(test::failureOf([&] { rs_->open("select 1", *con); }).number(), 3709);
    EXPECT_EQ(rs_->state(), Recordset::kClosed);
}

}  // namespace
}  // namespace kelvar::odbc
