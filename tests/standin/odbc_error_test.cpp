// Errors as the client sees them: SQL Server's numbers and words, and a connection that stays
// usable afterwards.
#include <gtest/gtest.h>

#include "odbc_client.h"
#include "standin_process.h"

namespace kelvar::standin {
namespace {

using test::Cell;
using test::OdbcClient;
using test::Rows;

std::string firstMessage(const test::CallResult& r) {
    return r.diagnostics.empty() ? "" : r.diagnostics.front().message;
}

TEST(StandinErrors, UseOfMissingDatabaseGives911AndKeepsTheCurrentOne) {
    StandinProcess server;
    OdbcClient client;
    ASSERT_TRUE(client.connect(server.connectionString("zrsystem")).ok());

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

TEST(StandinErrors, InvalidObjectThenGoodStatementOnTheSameConnection) {
    StandinProcess server;
    OdbcClient client;
    ASSERT_TRUE(client.connect(server.connectionString("zrdata_002_2024")).ok());

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

TEST(StandinErrors, QualifiedMissingTableIsNamedAsWritten) {
    StandinProcess server(StandinOptions().withSql("zrsystem", "DROP TABLE za_account_sub;"));
    OdbcClient client;
    ASSERT_TRUE(client.connect(server.connectionString()).ok());
    const auto bad = client.execute(
        "Select distinct [name] from master..[sysdatabases], zrsystem..za_account_sub\r\n"
        "where [name] = 'zrdata_'+cacc_id+'_'+cast (iyear as nchar)");
    EXPECT_TRUE(bad.hasNative(208)) << bad.describe();
    EXPECT_NE(firstMessage(bad).find("Invalid object name 'zrsystem..za_account_sub'."),
              std::string::npos)
        << bad.describe();
}

TEST(StandinErrors, InvalidColumnGives207WithTheColumnAlone) {
    StandinProcess server;
    OdbcClient client;
    ASSERT_TRUE(client.connect(server.connectionString("zrdata_001_2024")).ok());
    const auto bad = client.execute("select max(a.idx) from rdrecord as a");
    EXPECT_TRUE(bad.hasNative(207)) << bad.describe();
    EXPECT_NE(firstMessage(bad).find("Invalid column name 'idx'."), std::string::npos)
        << bad.describe();
}

TEST(StandinErrors, TriggerRaiseReachesTheClientAndTheRowIsNotWritten) {
    StandinProcess server(StandinOptions().withSql(
        "zrsystem",
        "CREATE TRIGGER refuse_ch BEFORE INSERT ON za_identity WHEN NEW.cVouchType = 'ch' "
        "BEGIN SELECT RAISE(ABORT, '拒绝 ch'); END;"));
    OdbcClient client;
    ASSERT_TRUE(client.connect(server.connectionString()).ok());

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

TEST(StandinErrors, OtherSqliteFailuresComeBackAs50000) {
    StandinProcess server;
    OdbcClient client;
    ASSERT_TRUE(client.connect(server.connectionString()).ok());
    const auto bad = client.execute("selec 1");
    EXPECT_FALSE(bad.ok());
    EXPECT_TRUE(bad.hasNative(50000)) << bad.describe();
    EXPECT_TRUE(client.execute("select 1").ok());
}

TEST(StandinErrors, RemoteProcedureCallsGetAnErrorNotSilence) {
    StandinProcess server;
    OdbcClient client;
    ASSERT_TRUE(client.connect(server.connectionString()).ok());
    // A parameter marker makes FreeTDS send an RPC (sp_executesql) instead of a batch.
    const auto rpc = client.executeWithParameter("select ? as x", 7);
    EXPECT_FALSE(rpc.ok());
    EXPECT_TRUE(rpc.hasNative(50000)) << rpc.describe();
    EXPECT_TRUE(client.execute("select 1").ok());
}

}  // namespace
}  // namespace kelvar::standin
