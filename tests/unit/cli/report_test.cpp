#include "cli/report.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cli/text_table.h"

namespace kelvar::cli {
namespace {

using testing::ElementsAre;
using testing::HasSubstr;
using testing::IsEmpty;
using testing::Not;

DatabaseCheck inSync(std::string database, AccountNumber account) {
    DatabaseCheck check{std::move(database), account, {}, {}};
    check.kinds.assign(18, KindCheck{KindStatus::InSync, Maxima{1, 2}, Maxima{1, 2}, {}});
    return check;
}

TEST(SharedAccounts, GroupsTheDatabasesOfOneAccountNumberOnce) {
    const std::vector<DatabaseCheck> checks{
        inSync("zrdata_001_2024", 1), inSync("zrdata_002_2024", 2), inSync("zrdata_001_2025", 1),
        inSync("zrdata_001_2024", 1), DatabaseCheck{"zrdata_x_2024", std::nullopt, "失败", {}}};
    EXPECT_THAT(sharedAccounts(checks),
                ElementsAre(ElementsAre("zrdata_001_2024", "zrdata_001_2025")));
    EXPECT_THAT(checkText(checks),
                HasSubstr("注意：zrdata_001_2024、zrdata_001_2025 的账套号相同，共用"));
    EXPECT_THAT(sharedAccounts({checks[0], checks[1], checks[3]}), IsEmpty())
        << "one database named twice shares with no other";
}

TEST(DisplayWidth, CountsWideCharactersTwice) {
    EXPECT_EQ(displayWidth("rd"), 2u);
    EXPECT_EQ(displayWidth("4.采购订单"), 10u);
    EXPECT_EQ(displayWidth("失败：x"), 7u);        // the full-width colon is wide
    EXPECT_EQ(displayWidth("（账套号 1）"), 12u);  // so are full-width brackets
    EXPECT_EQ(displayWidth("e\xCC\x81"), 1u);      // e and a combining acute accent
    EXPECT_EQ(displayWidth("\xFF"), 1u);           // a stray byte
}

TEST(FormatTable, LinesUpColumnsOnScreenNotByBytes) {
    EXPECT_EQ(formatTable({{"项目", "代码", "状态"},
                           {"10.盘点单", "ch", "一致"},
                           {"1.收发记录主子表", "rd", "落后"}}),
              "项目              代码  状态\n"
              "10.盘点单         ch    一致\n"
              "1.收发记录主子表  rd    落后\n");
}

TEST(CheckJson, NamesEveryKindAndFailsEachOfADatabaseThatCouldNotBeRead) {
    DatabaseCheck drift = inSync("zrdata_001_2024", 1);
    drift.kinds[3] = {KindStatus::MissingRow, std::nullopt, Maxima{40006, 70018}, {}};
    drift.kinds[6] = {KindStatus::Skipped, std::nullopt, std::nullopt, {}};
    const DatabaseCheck unreadable{"zrdata_abc_2024", std::nullopt, "数据库名中没有账套号", {}};

    const auto document = nlohmann::json::parse(checkJson("(local)", {drift, unreadable}));

    EXPECT_EQ(document["server"], "(local)");
    ASSERT_EQ(document["databases"].size(), 2u);
    const auto& first = document["databases"][0];
    EXPECT_EQ(first["database"], "zrdata_001_2024");
    EXPECT_EQ(first["account"], 1);
    ASSERT_EQ(first["kinds"].size(), 18u);
    EXPECT_EQ(first["kinds"][3], nlohmann::json::parse(R"({"item": "4.采购订单",
        "vouchType": "POMain", "stored": null, "found": [40006, 70018], "status": "missing-row",
        "reason": null})"));
    EXPECT_EQ(first["kinds"][6]["status"], "skipped");
    const auto& second = document["databases"][1];
    EXPECT_TRUE(second["account"].is_null());
    ASSERT_EQ(second["kinds"].size(), 18u);
    for (const auto& kind : second["kinds"]) {
        EXPECT_EQ(kind["status"], "failed");
        EXPECT_EQ(kind["reason"], "数据库名中没有账套号");
    }
}

TEST(RepairJson, HasOutcomesAndNoStoredOrFound) {
    RepairReport report{RunEnd::Completed, "zrdata_001_2024", {}, {}};
    report.kinds.assign(18, KindReport{KindOutcome::Written, {}});
    report.kinds[11] = {KindOutcome::Failed, "Invalid object name 'MatchVouch'."};
    const auto document = nlohmann::json::parse(repairJson("db", report));
    const auto& kinds = document["databases"][0]["kinds"];
    EXPECT_EQ(document["databases"][0]["account"], 1);
    EXPECT_EQ(kinds[11], nlohmann::json::parse(R"({"item": "12.限额领料单", "vouchType": "ma",
        "status": "failed", "reason": "Invalid object name 'MatchVouch'."})"));
    EXPECT_EQ(kinds[0], nlohmann::json::parse(
                            R"({"item": "1.收发记录主子表", "vouchType": "rd", "status": "written",
                                "reason": null})"));
    EXPECT_FALSE(allInOrder(report));
}

}  // namespace
}  // namespace kelvar::cli
