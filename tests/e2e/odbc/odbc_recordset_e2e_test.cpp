#include "platform/odbc/odbc_recordset.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>

#include "standin_fixture.h"

namespace kelvar::odbc::test {
namespace {

using ::testing::HasSubstr;

class OdbcRecordsetTest : public StandinTest {
  protected:
    std::unique_ptr<Connection> con_ = openConnection();
    std::unique_ptr<Recordset> rs_ = access_.createRecordset();
};

TEST_F(OdbcRecordsetTest, ReadsRowsOnceForwardToTheEnd) {
    rs_->open("select cVouchType as kind from za_identity where cAcc_Id = 1 order by cVouchType",
              *con_);
    EXPECT_EQ(rs_->state(), Recordset::kOpen);
    std::vector<std::string> kinds;
    while (!rs_->eof()) {
        kinds.push_back(rs_->field("kind").toText());
        rs_->moveNext();
    }
    EXPECT_EQ(kinds, (std::vector<std::string>{"BILLVOUCH", "DISPATCH", "rd", "SOMAIN", "XJ"}));
    EXPECT_EQ(failureOf([&] { rs_->moveNext(); }).number(), 3021);
    EXPECT_EQ(failureOf([&] { (void)rs_->field("kind"); }).number(), 3021);
}

TEST_F(OdbcRecordsetTest, HandsOutEachTypeAsItsKindOfValue) {
    rs_->open("select 3000000000 as big, -5 as neg, 1.5 as r, N'演示公司' as t, null as n", *con_);
    EXPECT_EQ(rs_->field("big"), Value(std::int64_t{3000000000}));
    EXPECT_EQ(rs_->field("neg"), Value(-5));
    EXPECT_EQ(rs_->field("r"), Value(1.5));
    EXPECT_EQ(rs_->field("t"), Value("演示公司"));
    EXPECT_TRUE(rs_->field("n").isNull());
}

TEST_F(OdbcRecordsetTest, ReadsTableValuesIncludingNull) {
    con_->execute("update za_identity set iChildId = null where cAcc_Id = 2");
    rs_->open("select iFatherId, iChildId, cVouchType from za_identity where cAcc_Id = 2", *con_);
    EXPECT_EQ(rs_->field("iFatherId"), Value(50));
    EXPECT_TRUE(rs_->field("iChildId").isNull());
    EXPECT_EQ(rs_->field("cVouchType"), Value("rd"));
}

TEST_F(OdbcRecordsetTest, ReadsTextLongerThanOneBuffer) {
    rs_->open("select hex(zeroblob(2500)) as t", *con_);
    EXPECT_EQ(rs_->field("t"), Value(std::string(5000, '0')));
}

TEST_F(OdbcRecordsetTest, MatchesFieldNamesRegardlessOfCase) {
    rs_->open("select max(id) as idF from zrdata_001_2024..rdrecord", *con_);
    EXPECT_EQ(rs_->field("IDF"), rs_->field("idf"));
    EXPECT_FALSE(rs_->field("idF").isNull());
    EXPECT_EQ(failureOf([&] { (void)rs_->field("idC"); }).number(), 3265);
}

TEST_F(OdbcRecordsetTest, AnEmptyResultIsAtTheEndAtOnce) {
    rs_->open("select cVouchType from za_identity where cAcc_Id = 99", *con_);
    EXPECT_EQ(rs_->state(), Recordset::kOpen);
    EXPECT_TRUE(rs_->eof());
}

TEST_F(OdbcRecordsetTest, TheConnectionRunsStatementsWhileItIsOpen) {
    rs_->open("select iFatherId from za_identity where cAcc_Id = 2", *con_);
    con_->execute("update za_identity set iFatherId = 51 where cAcc_Id = 2");
    EXPECT_EQ(rs_->field("iFatherId"), Value(50));
    auto fresh = access_.createRecordset();
    fresh->open("select iFatherId from za_identity where cAcc_Id = 2", *con_);
    EXPECT_EQ(fresh->field("iFatherId"), Value(51));
    EXPECT_EQ(rs_->state(), Recordset::kOpen);
}

TEST_F(OdbcRecordsetTest, AFailedOpenLeavesItClosedAndReusable) {
    const DatabaseError error = failureOf([&] { rs_->open("select * from nosuch", *con_); });
    EXPECT_EQ(error.number(), 208);
    EXPECT_THAT(error.description(), HasSubstr("Invalid object name 'nosuch'."));
    EXPECT_EQ(rs_->state(), Recordset::kClosed);
    rs_->open("select count(*) as n from za_identity", *con_);
    EXPECT_EQ(rs_->field("n"), Value(6));
}

TEST_F(OdbcRecordsetTest, ClosesAndOpensAgain) {
    rs_->open("select count(*) as n from za_identity", *con_);
    EXPECT_EQ(failureOf([&] { rs_->open("select 1 as one", *con_); }).number(), 3705);
    rs_->close();
    EXPECT_EQ(rs_->state(), Recordset::kClosed);
    EXPECT_EQ(failureOf([&] { (void)rs_->eof(); }).number(), 3704);
    rs_->open("select count(*) as n from za_account_sub", *con_);
    EXPECT_EQ(rs_->field("n"), Value(4));
}

TEST_F(OdbcRecordsetTest, AStatementWithoutRowsLeavesItClosed) {
    rs_->open("update za_identity set iFatherId = 50 where cAcc_Id = 2", *con_);
    EXPECT_EQ(rs_->state(), Recordset::kClosed);
}

TEST_F(OdbcRecordsetTest, OutlivesItsConnection) {
    rs_->open("select count(*) as n from za_identity", *con_);
    con_->close();
    con_.reset();
    EXPECT_EQ(rs_->field("n"), Value(6));
    EXPECT_EQ(failureOf([&] {
                  auto closed = access_.createConnection();
                  rs_->close();
                  rs_->open("select 1 as one", *closed);
              }).number(),
              3709);
}

}  // namespace
}  // namespace kelvar::odbc::test
