// The read-only check over the fake database: each kind's status from what is stored and what is
// found, and the promise that nothing but reads is ever sent.
#include "cli/check.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

#include "fake_account.h"
#include "fakes/fake_database.h"
#include "golden_texts.h"
#include "platform/database_objects.h"

namespace kelvar::cli {
namespace {

using fake::Op;
using testing::AllOf;
using testing::Each;
using testing::HasSubstr;
using testing::IsEmpty;
using testing::Not;
using testing::StartsWith;

constexpr const char* kDatabase = "zrdata_001_2024";

class CheckTest : public testing::Test {
  protected:
    CheckTest() { db.startOpen(); }

    [[nodiscard]] DatabaseCheck check(const char* database = kDatabase) {
        return checkDatabase(objects, database);
    }

    fake::FakeDatabase db;
    fake::FakeAccount account{db};
    DatabaseObjects objects{db};
};

// Row 0 ("rd") served these maxima, with this counter row stored (or none).
struct StatusCase {
    const char* name;
    Value idf;
    Value idc;
    std::optional<Maxima> stored;
    KindStatus status;
    std::optional<Maxima> found;
    const char* reason;
};

void PrintTo(const StatusCase& c, std::ostream* os) {
    *os << c.name;
}

class CheckStatus : public CheckTest, public testing::WithParamInterface<StatusCase> {};

TEST_P(CheckStatus, ComesFromStoredAgainstFound) {
    const StatusCase& c = GetParam();
    account.serve(0, c.idf, c.idc);
    if (c.stored) {
        account.storeCounter(1, "rd", *c.stored);
    }
    const DatabaseCheck result = check();
    ASSERT_EQ(result.kinds.size(), 18u);
    const KindCheck& rd = result.kinds[0];
    EXPECT_EQ(rd.status, c.status);
    EXPECT_EQ(rd.found, c.found);
    EXPECT_EQ(rd.stored, c.status == KindStatus::InSync || c.status == KindStatus::Behind ||
                                 c.status == KindStatus::Ahead
                             ? c.stored
                             : std::nullopt);
    EXPECT_EQ(rd.reason, c.reason);
}

constexpr std::int64_t kBig = 5'000'000'000;  // beyond 32 bits

INSTANTIATE_TEST_SUITE_P(
    Kinds, CheckStatus,
    testing::Values(StatusCase{"Equal", Value(120), Value(5000), Maxima{120, 5000},
                               KindStatus::InSync, Maxima{120, 5000}, ""},
                    StatusCase{"FatherBelow", Value(120), Value(5000), Maxima{119, 5000},
                               KindStatus::Behind, Maxima{120, 5000}, ""},
                    StatusCase{"ChildBelowFatherAbove", Value(120), Value(5000), Maxima{900, 4999},
                               KindStatus::Behind, Maxima{120, 5000}, ""},
                    StatusCase{"BothAbove", Value(120), Value(5000), Maxima{121, 5001},
                               KindStatus::Ahead, Maxima{120, 5000}, ""},
                    StatusCase{"OneAboveOneEqual", Value(120), Value(5000), Maxima{120, 6000},
                               KindStatus::Ahead, Maxima{120, 5000}, ""},
                    StatusCase{"NoRow", Value(120), Value(5000), std::nullopt,
                               KindStatus::MissingRow, Maxima{120, 5000}, ""},
                    StatusCase{"SixtyFourBitEqual", Value(kBig), Value(kBig * 2),
                               Maxima{kBig, kBig * 2}, KindStatus::InSync, Maxima{kBig, kBig * 2},
                               ""},
                    StatusCase{"SixtyFourBitOneBelow", Value(kBig), Value(kBig * 2),
                               Maxima{kBig - 1, kBig * 2}, KindStatus::Behind,
                               Maxima{kBig, kBig * 2}, ""},
                    StatusCase{"SixtyFourBitStoredAboveSixteenBitData", Value(32767), Value(1),
                               Maxima{kBig, 1}, KindStatus::Ahead, Maxima{32767, 1}, ""},
                    StatusCase{"TextMaximaThatAreWhole", Value("1012"), Value(" 10036.00 "),
                               Maxima{1012, 10036}, KindStatus::InSync, Maxima{1012, 10036}, ""},
                    StatusCase{"NullFatherSkips", Value(), Value(), Maxima{1, 1},
                               KindStatus::Skipped, std::nullopt, ""},
                    StatusCase{"HalfNullPairFails", Value(120), Value(), Maxima{1, 1},
                               KindStatus::Failed, std::nullopt, "最大单据号不是整数"},
                    StatusCase{"FractionFails", Value(12.5), Value(3), std::nullopt,
                               KindStatus::Failed, std::nullopt, "最大单据号不是整数"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CheckTest, SendsTheRunsMaximumQueriesAndCounterReadsAndNothingElse) {
    account.storeCounter(1, "rd", {1, 1});
    const DatabaseCheck result = check();

    EXPECT_EQ(result.account, std::optional<AccountNumber>(1));
    EXPECT_THAT(db.executed(), IsEmpty());
    const auto sent = db.sqlSent();
    ASSERT_EQ(sent.size(), 36u);
    EXPECT_EQ(sent[0], golden::kMaximumQueryRd);
    EXPECT_EQ(sent[1], golden::counterSql(1, "rd"));
    EXPECT_EQ(sent[34], golden::kMaximumQueryXJ);
    EXPECT_EQ(sent[35], golden::counterSql(1, "XJ"));
    EXPECT_EQ(db.callsOf(Op::SetDefaultDatabase).front().argument, kDatabase);
}

// Whatever fails, a check only ever reads: no step's failure turns into a write.
TEST_F(CheckTest, NeverSendsAWriteWhicheverStepFails) {
    for (const Op op : {Op::RecordsetOpen, Op::Field, Op::Eof, Op::RecordsetClose}) {
        fake::FakeDatabase failing;
        fake::FakeAccount data(failing);
        failing.startOpen();
        failing.failOn(op, DatabaseError(50000, "no"), {}, 3);
        DatabaseObjects failingObjects(failing);
        const DatabaseCheck result = checkDatabase(failingObjects, kDatabase);
        EXPECT_THAT(failing.executed(), IsEmpty()) << name(op);
        EXPECT_THAT(failing.sqlSent(),
                    Each(AllOf(StartsWith("select "), Not(HasSubstr("update")),
                               Not(HasSubstr("insert")), Not(HasSubstr("delete")))))
            << name(op);
        EXPECT_EQ(result.kinds.front().status, KindStatus::Failed) << name(op);
        EXPECT_EQ(result.kinds.front().reason, "no") << name(op);
    }
}

TEST_F(CheckTest, AFailedCounterReadFailsTheKindWithTheDriversWordsAndKeepsTheMaxima) {
    db.failOn(Op::RecordsetOpen, DatabaseError(208, "Invalid object name 'zrsystem..za_identity'."),
              "za_identity");
    const DatabaseCheck result = check();
    EXPECT_EQ(result.kinds[3].status, KindStatus::Failed);
    EXPECT_EQ(result.kinds[3].reason, "Invalid object name 'zrsystem..za_identity'.");
    EXPECT_EQ(result.kinds[3].found, fake::FakeAccount::defaultMaxima(3));
}

TEST_F(CheckTest, AFailedSwitchOrAnUnreadableNameReadsNothingAndSaysSoInTheWindowsWords) {
    db.failOn(Op::SetDefaultDatabase,
              DatabaseError(911, "Database 'zrdata_009_2020' does not exist."), {}, 1);
    const DatabaseCheck result = check("zrdata_009_2020");
    EXPECT_EQ(result.failure,
              "无法打开数据库“zrdata_009_2020”：\nDatabase 'zrdata_009_2020' does not exist.");
    EXPECT_EQ(result.account, std::nullopt);
    EXPECT_THAT(result.kinds, IsEmpty());
    EXPECT_THAT(db.sqlSent(), IsEmpty());

    EXPECT_EQ(check("zrdata_abc_2024").failure, "数据库名“zrdata_abc_2024”中没有可用的账套号。");
    EXPECT_THAT(db.sqlSent(), IsEmpty());
}

}  // namespace
}  // namespace kelvar::cli
