// The repair run against the stand-in server through the ODBC layer and FreeTDS: the texts on the
// wire and the server's own words in the messages.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "fakes/fake_window.h"
#include "golden_texts.h"
#include "platform/database_objects.h"
#include "platform/odbc/odbc_database_access.h"
#include "repair/repair_run.h"
#include "repair_backend.h"
#include "standin_connection.h"
#include "standin_process.h"

namespace kelvar::e2e {
namespace {

using Message = fake::FakeWindow::Message;

class RepairOnStandin : public ::testing::Test {
  protected:
    void start(standin::StandinOptions options = {}) {
        server.emplace(std::move(options));
        objects.con().open(server->oleDbLogin());
    }

    void pressUpdate(std::string database) {
        window.databaseEdit = std::move(database);
        cmdOK_Click(objects, window);
    }

    [[nodiscard]] std::map<std::string, Maxima> counters(AccountNumber account) {
        return readCounters(access, *server, account);
    }

    std::optional<standin::StandinProcess> server;
    odbc::OdbcDatabaseAccess access;
    DatabaseObjects objects{access};
    fake::FakeWindow window;
};

TEST_F(RepairOnStandin, SendsTheRunsStatementsInOrderAfterTheSwitch) {
    start();
    pressUpdate("zrdata_001_2024");

    const auto texts = server->sqlTexts();
    const auto firstQuery = std::find_if(texts.begin(), texts.end(), [](const std::string& sql) {
        return sql.starts_with("select max(");
    });
    ASSERT_NE(firstQuery, texts.end());
    EXPECT_NE(std::find(texts.begin(), firstQuery, "USE [zrdata_001_2024]"), firstQuery)
        << "the default database is switched before the first query";

    const auto run = repairStatementsOf(texts);
    ASSERT_EQ(run.size(), 17u * 3u + 1u);
    const auto slice = [&](std::size_t from, std::size_t count) {
        return std::vector<std::string>(run.begin() + static_cast<long>(from),
                                        run.begin() + static_cast<long>(from + count));
    };
    EXPECT_EQ(slice(0, 3), (std::vector<std::string>{std::string(golden::kMaximumQueryRd),
                                                     golden::lookupSql(1, "rd"),
                                                     golden::updateSql(1, "rd", 1012, 10036)}));
    EXPECT_EQ(slice(9, 3),
              (std::vector<std::string>{std::string(golden::kMaximumQueryPOMain),
                                        golden::lookupSql(1, "POMain"),
                                        golden::insertSql(1, "POMain", 40006, 70018)}));
    EXPECT_EQ(slice(18, 2), (std::vector<std::string>{std::string(golden::kMaximumQueryPurSettle),
                                                      std::string(golden::kMaximumQuerySaSettle)}));
    EXPECT_EQ(slice(49, 3), (std::vector<std::string>{std::string(golden::kMaximumQueryXJ),
                                                      golden::lookupSql(1, "XJ"),
                                                      golden::updateSql(1, "XJ", 12, 6)}));
}

TEST_F(RepairOnStandin, MissingTablesAreNamedWithTheServersWordsAndTheRestWritten) {
    start();
    pressUpdate("zrdata_002_2024");
    EXPECT_EQ(window.messages,
              (std::vector<Message>{
                  {std::string(golden::kFailedKindsHeading) +
                       "\n"
                       "12.限额领料单：[FreeTDS][SQL Server]Invalid object name 'MatchVouch'.\n"
                       "15.销售报价单：[FreeTDS][SQL Server]Invalid object name 'SA_QuoMain'.\n"
                       "17.库存调拨单：[FreeTDS][SQL Server]Invalid object name 'TransVouchs'.\n"
                       "18.现结线索：[FreeTDS][SQL Server]Invalid object name 'Ap_CloseBill'.",
                   std::string(golden::kRepairCaption)}}));
    EXPECT_EQ(counters(2), (std::map<std::string, Maxima>{{"rd", {53, 507}},
                                                          {"BILLVOUCH", {62, 604}},
                                                          {"DISPATCH", {72, 703}},
                                                          {"POMain", {81, 802}},
                                                          {"SOMain", {92, 903}},
                                                          {"PURBILL", {101, 1002}},
                                                          {"PURSTID", {111, 1101}},
                                                          {"SETTLEVOUCH", {121, 1202}},
                                                          {"EXPENSE", {131, 1301}},
                                                          {"ch", {141, 1401}},
                                                          {"ju", {151, 1502}},
                                                          {"PUAPP", {161, 1602}},
                                                          {"PUARRIVAL", {172, 1703}},
                                                          {"SALEPAY", {181, 1801}}}));
}

// One repair run of account 001 on its own stand-in, and what it left behind.
struct RunOfAccountOne {
    std::vector<std::string> statements;
    std::map<std::string, Maxima> rows;
    std::vector<Message> messages;
    std::vector<std::string> settled;  // each login's encryption, as the stand-in logged it
};

RunOfAccountOne repairAccountOne(standin::StandinOptions options) {
    const standin::StandinProcess server(std::move(options));
    odbc::OdbcDatabaseAccess access;
    DatabaseObjects objects{access};
    fake::FakeWindow window;
    objects.con().open(server.oleDbLogin());
    window.databaseEdit = "zrdata_001_2024";
    cmdOK_Click(objects, window);
    RunOfAccountOne run{repairStatementsOf(server.sqlTexts()),
                        readCounters(access, server, 1),
                        window.messages,
                        {}};
    for (const auto& login : server.logins()) {
        run.settled.push_back(login.encryption);
    }
    return run;
}

// The test above pins the default run's statements; under Force Encryption the whole session is
// inside TLS and nothing else may change.
TEST(RepairUnderEncryption, ForceSendsTheSameStatementsAndWritesTheSameRows) {
    const RunOfAccountOne loginOnly = repairAccountOne({});
    const RunOfAccountOne forced =
        repairAccountOne(standin::StandinOptions().withEncryption("force"));

    ASSERT_EQ(forced.statements.size(), 17u * 3u + 1u);
    EXPECT_EQ(forced.statements, loginOnly.statements);
    EXPECT_EQ(forced.rows, loginOnly.rows);
    EXPECT_EQ(forced.rows.at("rd"), (Maxima{1012, 10036}));
    EXPECT_EQ(forced.messages, (std::vector<Message>{{std::string(golden::kRepairSucceeded),
                                                      std::string(golden::kRepairCaption)}}));
    ASSERT_FALSE(forced.settled.empty());
    EXPECT_EQ(forced.settled, std::vector<std::string>(forced.settled.size(), "session"));
    EXPECT_EQ(loginOnly.settled, std::vector<std::string>(loginOnly.settled.size(), "login"));
}

}  // namespace
}  // namespace kelvar::e2e
