#include <gtest/gtest.h>

#include <ostream>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "golden_texts.h"
#include "repair_run_fixture.h"

namespace kelvar {
namespace {

using fake::FakeWindow;
using fake::Op;
using Write = fake::FakeAccount::Write;

// Kind 3, the purchase orders: code "POMain", served maxima 103 and 1003 by default.
constexpr std::size_t kRow = 3;
const std::string kCaption(golden::kRepairCaption);
const DatabaseError kInjected{50000, "[FreeTDS][SQL Server]Injected failure."};

std::vector<Write> writesOf(const std::vector<Write>& writes, std::string_view code) {
    std::vector<Write> matching;
    for (const auto& write : writes) {
        if (write.code == code) {
            matching.push_back(write);
        }
    }
    return matching;
}

bool lookedUp(const fake::FakeDatabase& db, std::string_view code) {
    const std::string lookup = golden::lookupSql(1, code);
    const auto sent = db.sqlSent();
    return std::find(sent.begin(), sent.end(), lookup) != sent.end();
}

// Every kind but `row` was written with its own maxima.
void expectOtherKindsWritten(const RepairReport& report, const std::vector<Write>& writes,
                             std::size_t row) {
    ASSERT_EQ(report.kinds.size(), 18u);
    for (std::size_t other = 0; other < 18; ++other) {
        if (other == row) {
            continue;
        }
        const std::string_view code = voucherTypeTable()[other].vouchType;
        EXPECT_EQ(report.kinds[other].outcome, KindOutcome::Written) << code;
        const auto written = writesOf(writes, code);
        ASSERT_EQ(written.size(), 1u) << code;
        EXPECT_EQ(written[0].maxima, fake::FakeAccount::defaultMaxima(other)) << code;
    }
}

// --- the failure table: each failing step of one kind, and where the run goes on ---

enum class Statement { None, Update, Insert };

struct FailureCase {
    const char* label;
    Op op;                 // the failing call
    const char* on;        // for recordset calls: text the recordset was opened with; for execute:
                           // text of the statement
    const char* argument;  // for field reads: the field
    bool counterExists;
    bool expectLookup;
    Statement expectStatement;
    // A counter written after a lookup that answered is reported written, whatever close failed.
    KindOutcome expectOutcome = KindOutcome::Failed;
};

void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << c.label;
}

class RepairRunFailure : public RepairRunTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(RepairRunFailure, ReportsTheKindAsItEndedAndGoesOnWithTheRest) {
    const FailureCase& c = GetParam();
    if (c.counterExists) {
        account.storeCounter(kAccount, "POMain", {1, 1});
    }
    if (c.op == Op::Execute) {
        db.failOn(Op::Execute, kInjected, c.on);
    } else {
        failOnRecordsetOf(c.op, c.on, kInjected, c.argument);
    }

    const RepairReport report = run();

    ASSERT_EQ(report.end, RunEnd::Completed);
    EXPECT_EQ(report.kinds[kRow].outcome, c.expectOutcome);
    EXPECT_EQ(report.kinds[kRow].reason, c.expectOutcome == KindOutcome::Failed
                                             ? "[FreeTDS][SQL Server]Injected failure."
                                             : "");
    EXPECT_EQ(lookedUp(db, "POMain"), c.expectLookup);
    const auto all = writes();
    const auto ours = writesOf(all, "POMain");
    if (c.expectStatement == Statement::None) {
        EXPECT_TRUE(ours.empty());
    } else {
        ASSERT_EQ(ours.size(), 1u);
        EXPECT_EQ(ours[0].inserted, c.expectStatement == Statement::Insert);
        EXPECT_EQ(ours[0].maxima, (Maxima{103, 1003}));
    }
    expectOtherKindsWritten(report, all, kRow);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, RepairRunFailure,
    ::testing::Values(
        FailureCase{"MaximumQueryOpen", Op::RecordsetOpen, "PO_Pomain", "", true, false,
                    Statement::None},
        FailureCase{"FatherRead", Op::Field, "PO_Pomain", "idF", true, false, Statement::None},
        FailureCase{"ChildRead", Op::Field, "PO_Pomain", "idC", true, false, Statement::None},
        FailureCase{"CloseAfterMaximumQuery", Op::RecordsetClose, "PO_Pomain", "", false, true,
                    Statement::Insert, KindOutcome::Written},
        FailureCase{"LookupOpenGoesOnWithTheUpdate", Op::RecordsetOpen, "cvouchtype='POMain'", "",
                    false, true, Statement::Update},
        FailureCase{"EndOfDataReadGoesOnWithTheUpdate", Op::Eof, "cvouchtype='POMain'", "", false,
                    true, Statement::Update},
        FailureCase{"Update", Op::Execute,
                    "set ifatherid=103,iChildId=1003 where cAcc_id=1 and "
                    "cvouchtype='POMain'",
                    "", true, true, Statement::Update},
        FailureCase{"Insert", Op::Execute, "values(1,'POMain',103,1003)", "", false, true,
                    Statement::Insert},
        FailureCase{"CloseAfterLookup", Op::RecordsetClose, "cvouchtype='POMain'", "", false, true,
                    Statement::Insert, KindOutcome::Written},
        FailureCase{"CloseAfterUpdate", Op::RecordsetClose, "cvouchtype='POMain'", "", true, true,
                    Statement::Update, KindOutcome::Written}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(RepairRunTest, OneFailedKindIsNamedInTheMessage) {
    failOnRecordsetOf(Op::RecordsetOpen, "PO_Pomain",
                      {208, "[FreeTDS][SQL Server]Invalid object name 'PO_Pomain'."});
    click();
    EXPECT_EQ(
        window.messages,
        (std::vector<FakeWindow::Message>{
            {"以下单据的最大单据号未能修改：\n4.采购订单：[FreeTDS][SQL Server]Invalid object "
             "name 'PO_Pomain'.",
             kCaption}}));
}

TEST_F(RepairRunTest, CloseFailingAfterTheWriteLeavesTheMessageSaySuccess) {
    failOnRecordsetOf(Op::RecordsetClose, "cvouchtype='POMain'", kInjected);
    click();
    EXPECT_EQ(
        window.messages,
        (std::vector<FakeWindow::Message>{{std::string(golden::kRepairSucceeded), kCaption}}));
}

TEST_F(RepairRunTest, SeveralFailedKindsAreListedInTableOrder) {
    failOnRecordsetOf(Op::RecordsetOpen, "SaleBillVouch",
                      {208,
                       "[FreeTDS][SQL Server]Invalid object name 'SaleBillVouch'.\n"
                       "[FreeTDS][SQL Server]Statement(s) could not be prepared."});
    account.serve(12, Value(12.5), Value(3));
    db.failOn(Op::Execute,
              {50000,
               "[FreeTDS][SQL Server]counter rows are read-only\n"
               "[FreeTDS][SQL Server]The transaction ended in the trigger."},
              "'XJ'");
    click();
    EXPECT_EQ(window.messages,
              (std::vector<FakeWindow::Message>{
                  {"以下单据的最大单据号未能修改：\n"
                   "2.销售发票：[FreeTDS][SQL Server]Invalid object name 'SaleBillVouch'. "
                   "[FreeTDS][SQL Server]Statement(s) could not be prepared.\n"
                   "13.采购请购单：" +
                       std::string(golden::kNotAWholeNumber) +
                       "\n"
                       "18.现结线索：[FreeTDS][SQL Server]counter rows are read-only "
                       "[FreeTDS][SQL Server]The transaction ended in the trigger.",
                   kCaption}}));
}

// --- the values read as maxima ---

struct ValuesCase {
    const char* label;
    Value idf;
    Value idc;
    std::optional<Maxima> written;  // nothing: the kind fails as not whole
};

void PrintTo(const ValuesCase& c, std::ostream* os) {
    *os << c.label;
}

class RepairRunValues : public RepairRunTest, public ::testing::WithParamInterface<ValuesCase> {};

TEST_P(RepairRunValues, WritesWholeNumbersAsTheyAreAndFailsTheRest) {
    const ValuesCase& c = GetParam();
    account.serve(kRow, c.idf, c.idc);
    const RepairReport report = run();
    const auto all = writes();
    const auto ours = writesOf(all, "POMain");
    if (c.written) {
        EXPECT_EQ(report.kinds[kRow].outcome, KindOutcome::Written);
        ASSERT_EQ(ours.size(), 1u);
        EXPECT_EQ(ours[0].maxima, *c.written);
    } else {
        EXPECT_EQ(report.kinds[kRow].outcome, KindOutcome::Failed);
        EXPECT_EQ(report.kinds[kRow].reason, golden::kNotAWholeNumber);
        EXPECT_FALSE(lookedUp(db, "POMain"));
        EXPECT_TRUE(ours.empty());
    }
    expectOtherKindsWritten(report, all, kRow);
}

INSTANTIATE_TEST_SUITE_P(
    Values, RepairRunValues,
    ::testing::Values(
        ValuesCase{"BeyondSixteenBits", Value(40000), Value(std::int64_t{3000000000}),
                   Maxima{40000, 3000000000}},
        ValuesCase{"Negative", Value(-5), Value(-40000), Maxima{-5, -40000}},
        ValuesCase{"WholeDoubles", Value(120.0), Value(5000.0), Maxima{120, 5000}},
        ValuesCase{"DecimalText", Value("123"), Value(" 5000.00 "), Maxima{123, 5000}},
        ValuesCase{"FatherWithFraction", Value(12.5), Value(1), std::nullopt},
        ValuesCase{"ChildWithFraction", Value(1), Value("12.5"), std::nullopt},
        ValuesCase{"FatherNotANumber", Value("abc"), Value(1), std::nullopt},
        ValuesCase{"ChildNullBesideFather", Value(1), Value(), std::nullopt},
        ValuesCase{"BeyondSixtyFourBits", Value("99999999999999999999"), Value(1), std::nullopt}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace kelvar
