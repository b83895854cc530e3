#include "repair/repair_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "golden_texts.h"
#include "repair_run_fixture.h"

namespace kelvar {
namespace {

using fake::FakeWindow;
using fake::Op;
using Write = fake::FakeAccount::Write;

const std::string kCaption(golden::kRepairCaption);
const FakeWindow::Message kSuccess{std::string(golden::kRepairSucceeded), kCaption};

std::vector<std::string> lookupsSent(const fake::FakeDatabase& db) {
    std::vector<std::string> lookups;
    for (const auto& sql : db.sqlSent()) {
        if (sql.starts_with("select cvouchtype")) {
            lookups.push_back(sql);
        }
    }
    return lookups;
}

// --- the steps and their texts ---

TEST_F(RepairRunTest, FirstKindGoesGuardSwitchMaximumLookupInsertClose) {
    account.serve(0, Value(120), Value(5000));
    click();
    const auto lines = trace();
    ASSERT_GE(lines.size(), 14u);
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 14),
              (std::vector<std::string>{
                  "CON.State",
                  "CON.DefaultDatabase zrdata_001_2004",
                  "DB.CreateRecordset 2",
                  "RS1.Release",
                  "RS2.Open " + std::string(golden::kMaximumQueryRd),
                  "RS2.Field idF",
                  "RS2.Field idC",
                  "RS2.Close",
                  "DB.CreateRecordset 3",
                  "RS2.Release",
                  "RS3.Open " + golden::lookupSql(1, "rd"),
                  "RS3.EOF",
                  "CON.Execute " + golden::insertSql(1, "rd", 120, 5000),
                  "RS3.Close",
              }));
    EXPECT_EQ(db.defaultDatabase(), "zrdata_001_2004");
    EXPECT_EQ(window.messages, std::vector<FakeWindow::Message>{kSuccess});
}

TEST_F(RepairRunTest, WritesEveryKindWithItsOwnMaxima) {
    const RepairReport report = run();
    ASSERT_EQ(report.end, RunEnd::Completed);
    ASSERT_EQ(report.kinds.size(), 18u);
    for (std::size_t row = 0; row < 18; ++row) {
        EXPECT_EQ(report.kinds[row].outcome, KindOutcome::Written) << "row " << row;
        const std::string code(voucherTypeTable()[row].vouchType);
        EXPECT_EQ(account.counters().at({kAccount, code}), fake::FakeAccount::defaultMaxima(row))
            << code;
    }
    EXPECT_EQ(account.counters().size(), 18u);
}

TEST_F(RepairRunTest, CounterAboveTheDataIsLoweredToTheMaxima) {
    account.storeCounter(kAccount, "rd", {90000, 90000});
    account.serve(0, Value(120), Value(5000));
    click();
    EXPECT_EQ(writes().front(), (Write{kAccount, "rd", {120, 5000}, false}));
    EXPECT_EQ(account.counters().at({kAccount, "rd"}), (Maxima{120, 5000}));
}

TEST_F(RepairRunTest, CashSettlementWithNoBillsIsWrittenWithZeros) {
    account.serve(17, Value(0), Value(0));
    click();
    EXPECT_EQ(writes().back(), (Write{kAccount, "XJ", {0, 0}, true}));
}

// --- skipped kinds ---

TEST_F(RepairRunTest, KindWithNullFatherIsSkippedAndTheRestWritten) {
    account.serve(4, Value(), Value());
    account.serve(5, Value(), Value(7));  // only the detail table has rows
    const RepairReport report = run();
    EXPECT_EQ(report.kinds[4].outcome, KindOutcome::Skipped);
    EXPECT_EQ(report.kinds[5].outcome, KindOutcome::Skipped);
    const auto lookups = lookupsSent(db);
    EXPECT_EQ(lookups.size(), 16u);
    for (const auto& lookup : lookups) {
        EXPECT_EQ(lookup.find("'SOMain'"), std::string::npos);
        EXPECT_EQ(lookup.find("'PURBILL'"), std::string::npos);
    }
    EXPECT_EQ(account.counters().size(), 16u);
}

TEST_F(RepairRunTest, SkippedKindsStillEndInSuccess) {
    for (std::size_t row = 0; row < 17; ++row) {
        account.serve(row, Value(), Value());
    }
    click();
    EXPECT_EQ(writes().size(), 1u);
    EXPECT_EQ(window.messages, std::vector<FakeWindow::Message>{kSuccess});
}

// --- runs that end early ---

// A closed connection, or one whose state cannot be read: the state read is the run's only call,
// and nothing is shown. (What a closed connection leaves in the data, on both backends:
// e2e/repair.)
class RepairRunWithoutConnection : public RepairRunTest,
                                   public ::testing::WithParamInterface<bool> {};

TEST_P(RepairRunWithoutConnection, StopsAfterTheStateReadAndShowsNothing) {
    const bool stateUnreadable = GetParam();
    if (stateUnreadable) {
        db.failOn(Op::ConnectionState, {3709, "The connection cannot be used."});
    } else {
        objects.con().close();
        markCalls();
    }
    click();
    EXPECT_EQ(trace(), std::vector<std::string>{"CON.State"});
    EXPECT_TRUE(window.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Connection, RepairRunWithoutConnection, ::testing::Bool(),
                         [](const auto& info) {
                             return std::string(info.param ? "StateUnreadable" : "Closed");
                         });

TEST_F(RepairRunTest, FailedSwitchWritesNothingAndShowsTheServersWords) {
    db.failOn(Op::SetDefaultDatabase,
              {911,
               "[FreeTDS][SQL Server]Database 'zrdata_001_2004' does not exist. Make sure "
               "that the name is entered correctly."});
    click();
    EXPECT_EQ(trace(),
              (std::vector<std::string>{"CON.State", "CON.DefaultDatabase zrdata_001_2004"}));
    EXPECT_EQ(window.messages,
              (std::vector<FakeWindow::Message>{
                  {"无法打开数据库“zrdata_001_2004”：\n[FreeTDS][SQL Server]Database "
                   "'zrdata_001_2004' does not exist. Make sure that the name is entered "
                   "correctly.",
                   kCaption}}));
}

class RepairRunUnreadableAccount : public RepairRunTest,
                                   public ::testing::WithParamInterface<const char*> {};

TEST_P(RepairRunUnreadableAccount, WritesNothingAndSaysTheNameHasNoAccount) {
    window.databaseEdit = GetParam();
    click();
    const auto calls = db.calls();
    ASSERT_EQ(trace().size(), 2u);
    EXPECT_EQ(calls.back().op, Op::SetDefaultDatabase);
    EXPECT_EQ(calls.back().argument, GetParam());
    EXPECT_EQ(window.messages,
              (std::vector<FakeWindow::Message>{
                  {"数据库名“" + std::string(GetParam()) + "”中没有可用的账套号。", kCaption}}));
}

INSTANTIATE_TEST_SUITE_P(Names, RepairRunUnreadableAccount,
                         ::testing::Values("", "zrdata_", "zrdata_abc_2004", "zrdata_1_2004"));

// --- recordsets ---

TEST_F(RepairRunTest, EachQueryGetsAFreshRecordsetAndOnlyTheLatestIsKept) {
    account.serve(2, Value(), Value());
    click();
    int latestCreated = 1;
    std::vector<int> opened;
    for (const auto& call : db.calls()) {
        if (call.op == Op::CreateRecordset) {
            latestCreated = std::stoi(call.argument);
        }
        if (call.op == Op::RecordsetOpen) {
            EXPECT_EQ(call.recordset, latestCreated) << call.toString();
            EXPECT_EQ(std::count(opened.begin(), opened.end(), call.recordset), 0)
                << call.toString();
            opened.push_back(call.recordset);
        }
    }
    EXPECT_EQ(opened.size(), 17u * 2u + 1u);
    EXPECT_EQ(db.recordsetsCreated(), 1 + 17 * 2 + 1);
    EXPECT_EQ(db.liveRecordsets(), 1);
    EXPECT_EQ(objects.rs().state(), Recordset::kClosed);
}

}  // namespace
}  // namespace kelvar
