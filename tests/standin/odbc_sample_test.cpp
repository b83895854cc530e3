// The queries the counter repair sends, run against the sample data: the values here are the
// ones sample/README.md promises, written out as literals.
#include <gtest/gtest.h>

#include <algorithm>

#include "odbc_client.h"
#include "standin_process.h"

namespace kelvar::standin {
namespace {

using test::Cell;
using test::OdbcClient;
using test::Rows;

class StandinSample : public ::testing::Test {
  protected:
    Rows query(const std::string& sql) {
        Rows rows;
        const auto result = client.execute(sql, &rows);
        EXPECT_TRUE(result.ok()) << sql << ": " << result.describe();
        return rows;
    }

    StandinProcess server;
    OdbcClient client;
};

TEST_F(StandinSample, AccountListNamesEachExistingAccountDatabaseOnce) {
    ASSERT_TRUE(client.connect(server.connectionString()).ok());
    const Rows rows = query(
        "Select distinct [name] from master..[sysdatabases], zrsystem..za_account_sub\r\n"
        "where [name] = 'zrdata_'+cacc_id+'_'+cast (iyear as nchar)");
    EXPECT_EQ(rows.names, std::vector<std::string>{"name"});
    std::vector<std::string> names;
    for (const auto& row : rows.values) {
        names.push_back(std::get<std::string>(row.at(0)));
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"zrdata_001_2024", "zrdata_002_2024"}));
}

struct KindMaxima {
    const char* mainTable;
    const char* detailTable;
    const char* mainKey;
    const char* detailKey;
    Cell idf;
    Cell idc;
};

TEST_F(StandinSample, MaxIdQueriesOfAccount001) {
    ASSERT_TRUE(client.connect(server.connectionString()).ok());
    ASSERT_TRUE(client.setCatalog("zrdata_001_2024").ok());
    const KindMaxima kinds[] = {
        {"rdrecord", "rdrecords", "id", "autoid", 1012, 10036},
        {"SaleBillVouch", "SaleBillVouchs", "SBVID", "autoid", 2008, 20020},
        {"DispatchList", "DispatchLists", "DLID", "autoid", 3010, 30025},
        {"PO_Pomain", "PO_Podetails", "POID", "ID", 40006, 70018},
        {"SO_SOMain", "SO_SODetails", "id", "autoid", 506, 5015},
        {"PurBillVouch", "PurBillVouchs", "PBVID", "ID", 605, 6012},
        {"PurSettleVouch", "PurSettleVouchs", "PSVID", "ID", Cell{}, Cell{}},
        {"SA_SettleVouch", "SA_SettleVouchs", "id", "autoid", 804, 8010},
        {"ExpenseVouch", "ExpenseVouchs", "id", "autoid", 903, 9006},
        {"CheckVouch", "CheckVouchs", "id", "autoid", 13, 106},
        {"JustInVouch", "JustInVouchs", "id", "autoid", 23, 206},
        {"MatchVouch", "MatchVouchs", "id", "autoid", 32, 304},
        {"PU_AppVouch", "PU_AppVouchs", "id", "autoid", 1105, 11012},
        {"PU_ArrivalVouch", "PU_ArrivalVouchs", "id", "autoid", 1206, 12015},
        {"SA_QuoMain", "SA_QuoDetails", "id", "autoid", 1304, 13010},
        {"SalePayVouch", "SalePayVouchs", "id", "autoid", 1403, 14008},
        {"TransVouch", "TransVouchs", "id", "autoid", 1505, 15012},
    };
    for (const auto& k : kinds) {
        const Rows rows =
            query(std::string("select max(a.") + k.mainKey + ") as idf,max(b." + k.detailKey +
                  ") as idc from " + k.mainTable + " as a," + k.detailTable + " as b");
        EXPECT_EQ(rows.names, (std::vector<std::string>{"idf", "idc"})) << k.mainTable;
        ASSERT_EQ(rows.values.size(), 1u) << k.mainTable;
        EXPECT_EQ(rows.values[0][0], k.idf) << k.mainTable;
        EXPECT_EQ(rows.values[0][1], k.idc) << k.mainTable;
    }
}

TEST_F(StandinSample, CloseBillQueryGivesLargestAndCountOfCancelNumbers) {
    ASSERT_TRUE(client.connect(server.connectionString("zrdata_001_2024")).ok());
    const Rows rows = query(
        "select sum(idf) as idf,sum(idc) as idc from (select max(cCancelNo) as idf,0 as idc from "
        "Ap_CloseBill union all select 0 as idf,count(cCancelNo) as idc from Ap_CloseBill where "
        "cCancelNo is not null) as aa");
    EXPECT_EQ(rows.names, (std::vector<std::string>{"idf", "idc"}));
    ASSERT_EQ(rows.values.size(), 1u);
    EXPECT_EQ(rows.values[0][0], Cell{std::int64_t{12}});
    EXPECT_EQ(rows.values[0][1], Cell{std::int64_t{6}});
}

TEST_F(StandinSample, IdentityRowsAreFoundUpdatedAndInserted) {
    ASSERT_TRUE(client.connect(server.connectionString("zrdata_001_2024")).ok());
    const Rows found =
        query("select cvouchtype from zrsystem..za_identity where cAcc_id=1 and cvouchtype='rd'");
    EXPECT_EQ(found.names, std::vector<std::string>{"cvouchtype"});
    ASSERT_EQ(found.values.size(), 1u);
    EXPECT_EQ(found.values[0][0], Cell{std::string("rd")});

    // Stored as SOMAIN: codes compare without regard to case.
    EXPECT_EQ(query("select cvouchtype from zrsystem..za_identity where cAcc_id=1 and "
                    "cvouchtype='SOMain'")
                  .values.size(),
              1u);
    EXPECT_TRUE(query("select cvouchtype from zrsystem..za_identity where cAcc_id=1 and "
                      "cvouchtype='ch'")
                    .values.empty());

    const Rows updated = query(
        "update zrsystem..za_identity set ifatherid=1012,iChildId=10036 where cAcc_id=1 and "
        "cvouchtype='rd'");
    EXPECT_EQ(updated.rowCount, 1);
    const Rows inserted = query(
        "insert into zrsystem..za_identity(cAcc_Id,cVouchType,iFatherId,iChildId)values(1,'ch',"
        "13,106)");
    EXPECT_EQ(inserted.rowCount, 1);

    const Rows after = query(
        "select cVouchType, iFatherId, iChildId from zrsystem..za_identity where cAcc_Id=1 and "
        "cVouchType in ('rd','ch') order by cVouchType");
    ASSERT_EQ(after.values.size(), 2u);
    EXPECT_EQ(after.values[0],
              (std::vector<Cell>{std::string("ch"), std::int64_t{13}, std::int64_t{106}}));
    EXPECT_EQ(after.values[1],
              (std::vector<Cell>{std::string("rd"), std::int64_t{1012}, std::int64_t{10036}}));
}

TEST_F(StandinSample, Account002LacksSomeTables) {
    ASSERT_TRUE(client.connect(server.connectionString("zrdata_002_2024")).ok());
    for (const char* table : {"MatchVouch", "MatchVouchs", "SA_QuoMain", "SA_QuoDetails",
                              "TransVouchs", "Ap_CloseBill"}) {
        const auto result = client.execute(std::string("select count(*) from ") + table);
        EXPECT_TRUE(result.hasNative(208)) << table << ": " << result.describe();
    }
    const Rows rows = query(
        "select max(a.id) as idf,max(b.autoid) as idc from rdrecord as a,"
        "rdrecords as b");
    EXPECT_EQ(rows.values.at(0), (std::vector<Cell>{std::int64_t{53}, std::int64_t{507}}));
}

}  // namespace
}  // namespace kelvar::standin
