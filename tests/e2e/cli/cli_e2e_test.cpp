// The built kelvar-cli against the stand-in, through unixODBC and FreeTDS: check before and after
// a repair, check --all, a wrong password, and the JSON document read back.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli_process.h"
#include "standin_process.h"

namespace kelvar::e2e {
namespace {

using nlohmann::json;
using testing::AllOf;
using testing::HasSubstr;
using testing::IsEmpty;
using testing::Not;
using testing::UnorderedElementsAre;

// Account 001's kinds as the sample has them before a repair (see tests/standin/sample).
const std::map<std::string, std::string> kDriftBefore{
    {"rd", "behind"},           {"BILLVOUCH", "in-sync"},       {"DISPATCH", "ahead"},
    {"POMain", "missing-row"},  {"SOMain", "behind"},           {"PURBILL", "missing-row"},
    {"PURSTID", "skipped"},     {"SETTLEVOUCH", "missing-row"}, {"EXPENSE", "missing-row"},
    {"ch", "missing-row"},      {"ju", "missing-row"},          {"ma", "missing-row"},
    {"PUAPP", "missing-row"},   {"PUARRIVAL", "missing-row"},   {"QUOMAIN", "missing-row"},
    {"SALEPAY", "missing-row"}, {"tr", "missing-row"},          {"XJ", "behind"}};

class CliE2eTest : public testing::Test {
  protected:
    [[nodiscard]] CliRun cli(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(),
                         {"--server", "127.0.0.1," + std::to_string(server.port())});
        return runCli(arguments, server.password());
    }

    // The statuses of one database's kinds in a check document, by code.
    static std::map<std::string, std::string> statuses(const json& database) {
        std::map<std::string, std::string> byCode;
        for (const auto& kind : database.at("kinds")) {
            byCode[kind.at("vouchType")] = kind.at("status");
        }
        return byCode;
    }

    // Every statement the stand-in received that is not a query, a database switch or a session
    // setting, in any letter case: anything else could change data.
    [[nodiscard]] std::vector<std::string> writesReceived() const {
        std::vector<std::string> writes;
        for (const auto& sql : server.sqlTexts()) {
            std::string lower = sql;
            std::transform(lower.begin(), lower.end(), lower.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
            if (!lower.starts_with("select ") && !lower.starts_with("use ") &&
                !lower.starts_with("set ")) {
                writes.push_back(sql);
            }
        }
        return writes;
    }

    standin::StandinProcess server;
};

TEST_F(CliE2eTest, CheckShowsTheSamplesDriftAndAfterRepairEveryKindInSyncButTheSkippedOne) {
    const CliRun before = cli({"--json", "check", "zrdata_001_2024"});
    EXPECT_EQ(before.exitStatus, 1) << before.err;
    const json document = json::parse(before.out);
    EXPECT_EQ(document.at("server"), "127.0.0.1," + std::to_string(server.port()));
    ASSERT_EQ(document.at("databases").size(), 1u);
    const json& account = document.at("databases")[0];
    EXPECT_EQ(account.at("database"), "zrdata_001_2024");
    EXPECT_EQ(account.at("account"), 1);
    EXPECT_EQ(statuses(account), kDriftBefore);
    EXPECT_EQ(account.at("kinds")[0], json::parse(R"({"item": "1.收发记录主子表",
        "vouchType": "rd", "stored": [1000, 10000], "found": [1012, 10036], "status": "behind",
        "reason": null})"));
    EXPECT_EQ(account.at("kinds")[3].at("found"), json::parse("[40006, 70018]"));
    EXPECT_THAT(writesReceived(), IsEmpty()) << "check is read-only";

    const CliRun repair = cli({"repair", "zrdata_001_2024"});
    EXPECT_EQ(repair.exitStatus, 0) << repair.err;
    EXPECT_THAT(repair.out,
                AllOf(HasSubstr("4.采购订单        POMain       已写入\n"),
                      HasSubstr("7.采购结算单      PURSTID      跳过"), HasSubstr("修改成功！")));
    EXPECT_THAT(writesReceived(), Not(IsEmpty()));

    const CliRun after = cli({"check", "zrdata_001_2024"});
    EXPECT_EQ(after.exitStatus, 0) << after.out;
    EXPECT_THAT(
        after.out,
        AllOf(HasSubstr("1.收发记录主子表  rd           1012 / 10036   1012 / 10036   一致\n"),
              HasSubstr("7.采购结算单      PURSTID      -              -              跳过"),
              HasSubstr("全部一致。")));
    const auto json = json::parse(cli({"--json", "check", "zrdata_001_2024"}).out);
    for (const auto& [code, status] : statuses(json.at("databases")[0])) {
        EXPECT_EQ(status, code == "PURSTID" ? "skipped" : "in-sync") << code;
    }
}

TEST_F(CliE2eTest, CheckAllReadsEveryListedAccountAndNamesTheServersWords) {
    const CliRun run = cli({"check", "--all", "--json"});
    EXPECT_EQ(run.exitStatus, 1) << run.err;
    const json document = json::parse(run.out);
    std::vector<std::string> names;
    for (const auto& database : document.at("databases")) {
        names.push_back(database.at("database"));
    }
    EXPECT_THAT(names, UnorderedElementsAre("zrdata_001_2024", "zrdata_002_2024"));
    for (const auto& database : document.at("databases")) {
        if (database.at("database") != "zrdata_002_2024") {
            continue;
        }
        EXPECT_EQ(database.at("account"), 2);
        const json& ma = database.at("kinds")[11];
        EXPECT_EQ(ma.at("status"), "failed");
        EXPECT_THAT(ma.at("reason").get<std::string>(),
                    HasSubstr("Invalid object name 'MatchVouch'."));
        EXPECT_EQ(database.at("kinds")[0].at("status"), "behind");
    }
    EXPECT_THAT(writesReceived(), IsEmpty());
}

TEST_F(CliE2eTest, WrongPasswordExitsThreeWithTheServersWords) {
    const CliRun run = runCli(
        {"--server", "127.0.0.1," + std::to_string(server.port()), "accounts"}, "Wrong#Pass");
    EXPECT_EQ(run.exitStatus, 3);
    EXPECT_THAT(run.err, AllOf(HasSubstr("Login failed for user 'sa'."), Not(HasSubstr("Wrong#"))));
    EXPECT_EQ(run.out, "");
}

TEST(CliE2eSharedCounters, TwoYearsOfOneAccountAreNotedAsSharingTheirCounters) {
    const standin::StandinProcess server(standin::StandinOptions().withSql(
        "zrdata_001_2025",
        "CREATE TABLE rdrecord(id INTEGER); CREATE TABLE rdrecords(autoid "
        "INTEGER); INSERT INTO rdrecord VALUES (7); INSERT INTO rdrecords "
        "VALUES (70);"));
    const std::vector<std::string> serverOption{"--server",
                                                "127.0.0.1," + std::to_string(server.port())};
    const auto check = [&](std::vector<std::string> databases) {
        databases.insert(databases.begin(), serverOption.begin(), serverOption.end());
        databases.insert(databases.begin() + 2, "check");
        return runCli(databases, server.password());
    };

    const CliRun shared = check({"zrdata_001_2024", "zrdata_001_2025"});
    EXPECT_THAT(shared.out, HasSubstr("注意：zrdata_001_2024、zrdata_001_2025 的账套号相同，共用 "
                                      "zrsystem..za_identity 中的同一组计数器"));
    EXPECT_THAT(shared.out, HasSubstr("1.收发记录主子表  rd           1000 / 10000  7 / 70"));

    const CliRun apart = check({"zrdata_001_2024", "zrdata_002_2024", "zrdata_001_2024"});
    EXPECT_THAT(apart.out, Not(HasSubstr("注意")));
}

// Chinese in an argument and in the password from the environment arrives whole, and the output
// comes back as UTF-8 bytes through a pipe, on Windows too, whatever the console's code page.
TEST(CliE2eText, ChineseArgumentAndPasswordArriveWholeAndTheOutputIsUtf8) {
    const standin::StandinProcess server(standin::StandinOptions().withPassword("密码"));
    const CliRun run =
        runCli({"--server", "127.0.0.1," + std::to_string(server.port()), "check", "账套_001_2024"},
               "密码");
    EXPECT_EQ(run.exitStatus, 1) << run.err;
    EXPECT_THAT(run.out, HasSubstr("无法打开数据库“账套_001_2024”"));
    ASSERT_EQ(server.logins().size(), 1u);
    EXPECT_TRUE(server.logins()[0].ok);
}

}  // namespace
}  // namespace kelvar::e2e
