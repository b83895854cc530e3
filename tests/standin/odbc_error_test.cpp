// Errors as the client sees them: SQL Server's numbers and words, and a connection that stays
// usable afterwards.
#include <gtest/gtest.h>

#include "golden_texts.h"
#include "odbc_client.h"
#include "odbc_fixture.h"
#include "standin_process.h"

namespace kelvar::standin {
namespace {

using test::Cell;
using test::Rows;
using StandinErrors = test::StandinConnection;

std::string firstMessage(const test::CallResult& r) {
    return r.diagnostics.empty() ? "" : r.diagnostics.front().message;
}

TEST_F(StandinErrors, UseOfMissingDatabaseGives911AndKeepsTheCurrentOne) {
    ASSERT_TRUE(connect("zrsystem"));

    const auto viaCatalog = client.setCatalog("zrdata_009_2024");
    EXPECT_FALSE(viaCatalog.ok());
    EXPECT_TRUE(viaCatalog.hasNative(911)) << viaCatalog.describe();
    EXPECT_EQ(client.catalog(), "zrsystem");

    const auto viaSql = client.execute("use [nosuch]");
    EXPECT_TRUE(viaSql.hasNative(911)) << viaSql.describe();
    EXPECT_NE(firstMessage(viaSql).find(
                  "Database 'nosuch' does not exist. Make sure that the name is entered "
                  "correctly."),
              std::string::npos);
    Rows rows;
    ASSERT_TRUE(client.execute("select count(*) as n from za_account_sub", &rows).ok());
    EXPECT_EQ(rows.values.at(0).at(0), Cell{std::int64_t{4}});
}

TEST_F(StandinErrors, InvalidObjectThenGoodStatementOnTheSameConnection) {
    ASSERT_TRUE(connect("zrdata_002_2024"));

    const auto bad = client.execute("select max(a.id) as idf from MatchVouch as a");
    EXPECT_FALSE(bad.ok());
    EXPECT_TRUE(bad.hasNative(208));
    EXPECT_TRUE(bad.hasState("42S02")) << bad.describe();
    EXPECT_NE(firstMessage(bad).find("Invalid object name 'MatchVouch'."), std::string::npos)
        << bad.describe();

    Rows rows;
    const auto good = client.execute("select max(id) as idf from rdrecord", &rows);
    ASSERT_TRUE(good.ok()) << good.describe();
    EXPECT_EQ(rows.values.at(0).at(0), Cell{std::int64_t{53}});
}

TEST_F(StandinErrors, QualifiedMissingTableIsNamedAsWritten) {
    start(StandinOptions().withSql("zrsystem", "DROP TABLE za_account_sub;"));
    ASSERT_TRUE(connect());
    const auto bad = client.execute(std::string(golden::kAccountListQuery));
    EXPECT_TRUE(bad.hasNative(208)) << bad.describe();
    EXPECT_NE(firstMessage(bad).find("Invalid object name 'zrsystem..za_account_sub'."),
              std::string::npos)
        << bad.describe();
}

TEST_F(StandinErrors, InvalidColumnGives207WithTheColumnAlone) {
    ASSERT_TRUE(connect("zrdata_001_2024"));
    const auto bad = client.execute("select max(a.idx) from rdrecord as a");
    EXPECT_TRUE(bad.hasNative(207)) << bad.describe();
    EXPECT_NE(firstMessage(bad).find("Invalid column name 'idx'."), std::string::npos)
        << bad.describe();
}

TEST_F(StandinErrors, TriggerRaiseReachesTheClientAndTheRowIsNotWritten) {
    start(StandinOptions().withSql(
        "zrsystem",
        "CREATE TRIGGER refuse_ch BEFORE INSERT ON za_identity WHEN NEW.cVouchType = 'ch' "
        "BEGIN SELECT RAISE(ABORT, '拒绝 ch'); END;"));
    ASSERT_TRUE(connect());

    const auto refused = client.execute(
        "insert into zrsystem..za_identity(cAcc_Id,cVouchType,iFatherId,iChildId)"
        "values(1,'ch',13,106)");
    EXPECT_FALSE(refused.ok());
    EXPECT_TRUE(refused.hasNative(50000)) << refused.describe();
    EXPECT_NE(firstMessage(refused).find("拒绝 ch"), std::string::npos) << refused.describe();

    const auto accepted = client.execute(
        "insert into zrsystem..za_identity(cAcc_Id,cVouchType,iFatherId,iChildId)"
        "values(1,'ju',23,206)");
    EXPECT_TRUE(accepted.ok()) << accepted.describe();
    Rows rows;
    ASSERT_TRUE(client
                    .execute("select cVouchType from zrsystem..za_identity where cAcc_Id = 1 "
                             "and cVouchType in ('ch', 'ju')",
                             &rows)
                    .ok());
    ASSERT_EQ(rows.values.size(), 1u);
    EXPECT_EQ(rows.values[0][0], Cell{std::string("ju")});
}

TEST_F(StandinErrors, OtherSqliteFailuresComeBackAs50000) {
    ASSERT_TRUE(connect());
    const auto bad = client.execute("selec 1");
    EXPECT_FALSE(bad.ok());
    EXPECT_TRUE(bad.hasNative(50000)) << bad.describe();
    EXPECT_TRUE(client.execute("select 1").ok());
}

TEST_F(StandinErrors, RemoteProcedureCallsGetAnErrorNotSilence) {
    ASSERT_TRUE(connect());
    // A parameter marker makes FreeTDS send an RPC (sp_executesql) instead of a batch.
    const auto rpc = client.executeWithParameter("select ? as x", 7);
    EXPECT_FALSE(rpc.ok());
    EXPECT_TRUE(rpc.hasNative(50000)) << rpc.describe();
    EXPECT_TRUE(client.execute("select 1").ok());
}

}  // namespace
}  // namespace kelvar::standin
