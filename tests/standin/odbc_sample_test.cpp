// The queries the counter repair sends, run against the sample data: the values here are the
// ones sample/README.md promises, written out as literals.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "golden_texts.h"
#include "odbc_client.h"
#include "sample_data.h"
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
    const Rows rows = query(std::string(golden::kAccountListQuery));
    EXPECT_EQ(rows.names, std::vector<std::string>{"name"});
    std::vector<std::string> names;
    for (const auto& row : rows.values) {
        names.push_back(std::get<std::string>(row.at(0)));
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"zrdata_001_2024", "zrdata_002_2024"}));
}

struct KindTables {
    const char* mainTable;
    const char* detailTable;
    const char* mainKey;
    const char* detailKey;
};

TEST_F(StandinSample, MaxIdQueriesOfAccount001) {
    ASSERT_TRUE(client.connect(server.connectionString()).ok());
    ASSERT_TRUE(client.setCatalog("zrdata_001_2024").ok());
    const KindTables kinds[] = {
        {"rdrecord", "rdrecords", "id", "autoid"},
        {"SaleBillVouch", "SaleBillVouchs", "SBVID", "autoid"},
        {"DispatchList", "DispatchLists", "DLID", "autoid"},
        {"PO_Pomain", "PO_Podetails", "POID", "ID"},
        {"SO_SOMain", "SO_SODetails", "id", "autoid"},
        {"PurBillVouch", "PurBillVouchs", "PBVID", "ID"},
        {"PurSettleVouch", "PurSettleVouchs", "PSVID", "ID"},
        {"SA_SettleVouch", "SA_SettleVouchs", "id", "autoid"},
        {"ExpenseVouch", "ExpenseVouchs", "id", "autoid"},
        {"CheckVouch", "CheckVouchs", "id", "autoid"},
        {"JustInVouch", "JustInVouchs", "id", "autoid"},
        {"MatchVouch", "MatchVouchs", "id", "autoid"},
        {"PU_AppVouch", "PU_AppVouchs", "id", "autoid"},
        {"PU_ArrivalVouch", "PU_ArrivalVouchs", "id", "autoid"},
        {"SA_QuoMain", "SA_QuoDetails", "id", "autoid"},
        {"SalePayVouch", "SalePayVouchs", "id", "autoid"},
        {"TransVouch", "TransVouchs", "id", "autoid"},
    };
    for (std::size_t row = 0; row < std::size(kinds); ++row) {
        const KindTables& k = kinds[row];
        const auto& maxima = sample::kAccountOneMaxima[row];
        const Rows rows =
            query(std::string("select max(a.") + k.mainKey + ") as idf,max(b." + k.detailKey +
                  ") as idc from " + k.mainTable + " as a," + k.detailTable + " as b");
        EXPECT_EQ(rows.names, (std::vector<std::string>{"idf", "idc"})) << k.mainTable;
        ASSERT_EQ(rows.values.size(), 1u) << k.mainTable;
        EXPECT_EQ(rows.values[0][0], maxima ? Cell{maxima->father} : Cell{}) << k.mainTable;
        EXPECT_EQ(rows.values[0][1], maxima ? Cell{maxima->child} : Cell{}) << k.mainTable;
    }
}

TEST_F(StandinSample, CloseBillQueryGivesLargestAndCountOfCancelNumbers) {
    ASSERT_TRUE(client.connect(server.connectionString("zrdata_001_2024")).ok());
    const Rows rows = query(std::string(golden::kMaximumQueryXJ));
    EXPECT_EQ(rows.names, (std::vector<std::string>{"idf", "idc"}));
    ASSERT_EQ(rows.values.size(), 1u);
    EXPECT_EQ(rows.values[0][0], Cell{sample::kAccountOneMaxima[17]->father});
    EXPECT_EQ(rows.values[0][1], Cell{sample::kAccountOneMaxima[17]->child});
}

TEST_F(StandinSample, IdentityRowsAreFoundUpdatedAndInserted) {
    ASSERT_TRUE(client.connect(server.connectionString("zrdata_001_2024")).ok());
    const Rows found = query(golden::lookupSql(1, "rd"));
    EXPECT_EQ(found.names, std::vector<std::string>{"cvouchtype"});
    ASSERT_EQ(found.values.size(), 1u);
    EXPECT_EQ(found.values[0][0], Cell{std::string("rd")});

    // Stored as SOMAIN: codes compare without regard to case.
    EXPECT_EQ(query(golden::lookupSql(1, "SOMain")).values.size(), 1u);
    EXPECT_TRUE(query(golden::lookupSql(1, "ch")).values.empty());

    const Rows updated = query(golden::updateSql(1, "rd", 1012, 10036));
    EXPECT_EQ(updated.rowCount, 1);
    const Rows inserted = query(golden::insertSql(1, "ch", 13, 106));
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
    const Rows rows = query(std::string(golden::kMaximumQueryRd));
    EXPECT_EQ(rows.values.at(0), (std::vector<Cell>{std::int64_t{53}, std::int64_t{507}}));
}

}  // namespace
}  // namespace kelvar::standin
