// Running statements and reading results through unixODBC and the FreeTDS driver.
#include <gtest/gtest.h>

#include "odbc_client.h"
#include "standin_process.h"

namespace kelvar::standin {
namespace {

using test::Cell;
using test::OdbcClient;
using test::Rows;

class StandinStatements : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto result = client.connect(server.connectionString("zrdata_001_2024"));
        ASSERT_TRUE(result.ok()) << result.describe();
    }

    Rows query(const std::string& sql, OdbcClient& on) {
        Rows rows;
        const auto result = on.execute(sql, &rows);
        EXPECT_TRUE(result.ok()) << sql << ": " << result.describe();
        return rows;
    }
    Rows query(const std::string& sql) { return query(sql, client); }

    StandinProcess server;
    OdbcClient client;
};

TEST_F(StandinStatements, ReadsNullsBigIntegersRealsAndChineseTextExactly) {
    const Rows rows = query(
        "select null as n, 3000000000 as big, -9007199254740993 as neg, 2.5 as r, "
        "0.1 as tenth, N'中文 ünï 𝄞' as t, cMaker from rdrecord where id = 1001");
    EXPECT_EQ(rows.names,
              (std::vector<std::string>{"n", "big", "neg", "r", "tenth", "t", "cMaker"}));
    EXPECT_EQ(rows.types[1], SQL_BIGINT);
    EXPECT_EQ(rows.types[3], SQL_DOUBLE);
    EXPECT_EQ(rows.types[5], SQL_WVARCHAR);
    ASSERT_EQ(rows.values.size(), 1u);
    const auto& row = rows.values[0];
    EXPECT_EQ(row[0], Cell{});
    EXPECT_EQ(row[1], Cell{std::int64_t{3000000000}});
    EXPECT_EQ(row[2], Cell{std::int64_t{-9007199254740993}});
    EXPECT_EQ(row[3], Cell{2.5});
    EXPECT_EQ(row[4], Cell{0.1});
    EXPECT_EQ(row[5], Cell{std::string("中文 ünï 𝄞")});
    EXPECT_EQ(row[6], Cell{std::string("张三")});
}

TEST_F(StandinStatements, NamesUnaliasedColumnsAsWrittenWithoutTableOrBrackets) {
    const Rows rows = query("select a.CMAKER, [cCode], max(a.id) as idf from rdrecord as a");
    EXPECT_EQ(rows.names, (std::vector<std::string>{"CMAKER", "cCode", "idf"}));
}

TEST_F(StandinStatements, ReportsRowCountsOfUpdateInsertAndDelete) {
    Rows update = query("update rdrecord set cMemo = 'checked' where id <= 1003");
    EXPECT_EQ(update.rowCount, 3);
    Rows insert = query("insert into rdrecord(id, cCode) values (1100, 'X')");
    EXPECT_EQ(insert.rowCount, 1);
    Rows none = query("delete from rdrecord where id = 424242");
    EXPECT_EQ(none.rowCount, 0);
    const Rows check = query("select count(*) as n from rdrecord where cMemo = 'checked'");
    EXPECT_EQ(check.values.at(0).at(0), Cell{std::int64_t{3}});
}

TEST_F(StandinStatements, CatalogChangeSwitchesDatabaseForUnqualifiedNames) {
    const auto use = client.setCatalog("zrdata_002_2024");
    ASSERT_TRUE(use.ok()) << use.describe();
    EXPECT_TRUE(use.hasNative(5701)) << use.describe();
    EXPECT_EQ(client.catalog(), "zrdata_002_2024");

    const Rows rows = query("select max(id) as idf from rdrecord");
    EXPECT_EQ(rows.values.at(0).at(0), Cell{std::int64_t{53}});
    EXPECT_EQ(server.sqlTexts().at(0), "USE [zrdata_002_2024]");
    EXPECT_EQ(server.logEntries().back().database, "zrdata_002_2024");
}

TEST_F(StandinStatements, OtherDatabasesAreReachedOnlyByQualifiedNames) {
    ASSERT_TRUE(client.setCatalog("zrdata_002_2024").ok());
    // 002 has no MatchVouch; 001's must not leak through.
    const auto missing = client.execute("select count(*) from MatchVouch");
    EXPECT_TRUE(missing.hasNative(208)) << missing.describe();

    const Rows rows = query("select count(*) as n from zrdata_001_2024..MatchVouch");
    EXPECT_EQ(rows.values.at(0).at(0), Cell{std::int64_t{2}});
    const Rows dbo = query("select count(*) as n from zrdata_001_2024.dbo.MatchVouch");
    EXPECT_EQ(dbo.values.at(0).at(0), Cell{std::int64_t{2}});
}

TEST_F(StandinStatements, TwoConnectionsSeeEachOthersWrites) {
    OdbcClient other;
    ASSERT_TRUE(other.connect(server.connectionString("zrsystem")).ok());
    query(
        "insert into zrsystem..za_identity(cAcc_Id,cVouchType,iFatherId,iChildId)"
        "values(1,'tr',1505,15012)");
    const Rows seen =
        query("select iFatherId from za_identity where cAcc_Id=1 and cVouchType='TR'", other);
    ASSERT_EQ(seen.values.size(), 1u);
    EXPECT_EQ(seen.values[0][0], Cell{std::int64_t{1505}});

    query("update za_identity set iFatherId=7 where cAcc_Id=1 and cVouchType='tr'", other);
    const Rows back = query("select iFatherId from zrsystem..za_identity where cVouchType='tr'");
    EXPECT_EQ(back.values.at(0).at(0), Cell{std::int64_t{7}});
}

TEST_F(StandinStatements, StatementOfSeveralPacketsArrivesWhole) {
    std::string payload;
    while (payload.size() < 10'000) {
        payload += "0123456789中文abcdefghij";
    }
    const std::string shorter = std::string(3000, 'x') + "中文";
    const std::string sql = "select '" + payload + "' as s, N'" + shorter + "' as shorter";
    const Rows rows = query(sql);
    ASSERT_EQ(rows.values.size(), 1u);
    EXPECT_EQ(rows.values[0][0], Cell{payload});
    EXPECT_EQ(rows.values[0][1], Cell{shorter});
    EXPECT_EQ(server.sqlTexts().back(), sql);
}

TEST_F(StandinStatements, LogKeepsTheExactBatchTextInOrder) {
    const std::string first = "select 1 as one -- a comment\r\n";
    const std::string second = "SELECT  'it''s'  AS q";
    query(first);
    query(second);
    EXPECT_EQ(server.sqlTexts(), (std::vector<std::string>{first, second}));
}

TEST_F(StandinStatements, SetStatementsAreAcceptedAsNoOps) {
    const auto result = client.execute("SET NOCOUNT ON; SET ANSI_WARNINGS ON");
    // No result and no row count: FreeTDS reports SQL_NO_DATA, as it would from SQL Server.
    EXPECT_EQ(result.rc, SQL_NO_DATA) << result.describe();
    EXPECT_TRUE(result.diagnostics.empty()) << result.describe();
}

}  // namespace
}  // namespace kelvar::standin
