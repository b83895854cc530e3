#include <gtest/gtest.h>

#include <array>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "golden_texts.h"
#include "repair_run_fixture.h"

namespace kelvar {
namespace {

using fake::Call;
using fake::FakeAccount;
using fake::Op;

const std::string kNotAWholeNumber(golden::kNotAWholeNumber);

// Random data, random existing counter rows and random failures of any call, one seed per case.
class RepairRunFaultInjection : public RepairRunTest,
                                public ::testing::WithParamInterface<unsigned> {
  protected:
    RepairRunFaultInjection() : random_(GetParam()) {
        for (std::size_t row = 0; row < kVoucherTypeCount; ++row) {
            serveRandom(row);
            if (chance(2)) {
                const std::string code(voucherTypeTable()[row].vouchType);
                account.storeCounter(kAccount, code, {7, 7});
            }
        }
        initialCounters_ = account.counters();
        db.failWhen([this](const Call&) -> std::optional<DatabaseError> {
            if (!chance(12)) {
                return std::nullopt;
            }
            const auto index = db.calls().size() - 1;
            injected_[index] = "injected failure #" + std::to_string(index);
            return DatabaseError(50000, injected_[index]);
        });
    }

    bool chance(int oneIn) { return std::uniform_int_distribution<int>(1, oneIn)(random_) == 1; }

    // Serves the row random maxima, some of them unreadable, and notes what the run must make of
    // them: the expectation is written here, not asked of the code under test.
    void serveRandom(std::size_t row) {
        std::uniform_int_distribution<std::int64_t> id(-5, 5'000'000'000);
        const std::int64_t father = id(random_);
        const std::int64_t child = id(random_);
        Expected& expected = expected_[row];
        switch (std::uniform_int_distribution<int>(0, 9)(random_)) {
            case 0:
                account.serve(row, Value(), Value());
                expected = {KindOutcome::Skipped, std::nullopt};
                break;
            case 1:
                account.serve(row, Value(12.5), Value(child));
                expected = {KindOutcome::Failed, std::nullopt};
                break;
            case 2:
                account.serve(row, Value(father), Value("abc"));
                expected = {KindOutcome::Failed, std::nullopt};
                break;
            case 3:
                account.serve(row, Value(father), Value());
                expected = {KindOutcome::Failed, std::nullopt};
                break;
            case 4:
                account.serve(row, Value(std::to_string(father)), Value(1.0));
                expected = {KindOutcome::Written, Maxima{father, 1}};
                break;
            default:
                account.serve(row, Value(father), Value(child));
                expected = {KindOutcome::Written, Maxima{father, child}};
                break;
        }
    }

    // What the kind comes to when nothing fails.
    [[nodiscard]] KindOutcome undisturbed(std::size_t row) const { return expected_[row].outcome; }

    // The maxima the kind's statement must carry; none when they cannot be read.
    [[nodiscard]] std::optional<Maxima> servedMaxima(std::size_t row) const {
        return expected_[row].maxima;
    }

    // The calls of each kind: from the fresh recordset made for its maximum query up to the next
    // kind's. Lookups are the only other opens, so every other open is the next kind's query.
    [[nodiscard]] std::vector<std::pair<std::size_t, std::size_t>> kindSpans() const {
        const auto& calls = db.calls();
        std::vector<std::size_t> starts;
        for (std::size_t i = 0; i < calls.size(); ++i) {
            if (calls[i].op == Op::RecordsetOpen &&
                !calls[i].argument.starts_with("select cvouchtype")) {
                std::size_t start = i;
                while (start > 0 && (calls[start - 1].op == Op::ReleaseRecordset ||
                                     calls[start - 1].op == Op::CreateRecordset)) {
                    --start;
                }
                starts.push_back(start);
            }
        }
        std::vector<std::pair<std::size_t, std::size_t>> spans;
        for (std::size_t k = 0; k < starts.size(); ++k) {
            spans.emplace_back(starts[k], k + 1 < starts.size() ? starts[k + 1] : calls.size());
        }
        return spans;
    }

    [[nodiscard]] std::optional<std::size_t> firstInjected(std::size_t begin,
                                                           std::size_t end) const {
        const auto found = injected_.lower_bound(begin);
        if (found == injected_.end() || found->first >= end) {
            return std::nullopt;
        }
        return found->first;
    }

    // The reason a kind that met failures must give: whichever went wrong first.
    [[nodiscard]] std::string expectedReason(std::size_t row, std::size_t begin,
                                             std::size_t end) const {
        const auto first = firstInjected(begin, end);
        if (undisturbed(row) == KindOutcome::Failed) {
            for (std::size_t i = begin; i < end && (!first || i < *first); ++i) {
                if (db.calls()[i].op == Op::Field && db.calls()[i].argument == "idC") {
                    return kNotAWholeNumber;
                }
            }
        }
        return first ? injected_.at(*first) : kNotAWholeNumber;
    }

    // A kind the failures did not stop: its lookup answered and its write went through, so only
    // closes or fresh recordsets around them failed.
    [[nodiscard]] bool writtenDespiteFailures(std::size_t begin, std::size_t end) const {
        bool lookupAnswered = false;
        bool executed = false;
        for (std::size_t i = begin; i < end; ++i) {
            const bool failed = injected_.contains(i);
            if (db.calls()[i].op == Op::Eof) {
                lookupAnswered = !failed;
            } else if (db.calls()[i].op == Op::Execute) {
                executed = !failed;
            }
        }
        return lookupAnswered && executed;
    }

    struct Expected {
        KindOutcome outcome = KindOutcome::Skipped;
        std::optional<Maxima> maxima;
    };

    std::array<Expected, kVoucherTypeCount> expected_;
    std::map<std::size_t, std::string> injected_;  // call index -> description thrown there
    FakeAccount::Counters initialCounters_;

  private:
    std::mt19937 random_;
};

TEST_P(RepairRunFaultInjection, WritesOnlyEachKindsOwnMaximaAndReportsWhatHappened) {
    const RepairReport report = run();

    // Whatever failed, every statement sent carries the maxima served for the kind it names.
    for (const auto& sql : db.executed()) {
        const auto write = FakeAccount::decode(sql);
        ASSERT_TRUE(write.has_value()) << sql;
        const auto row = FakeAccount::rowOf(write->code);
        ASSERT_TRUE(row.has_value()) << sql;
        EXPECT_EQ(write->account, kAccount);
        EXPECT_EQ(servedMaxima(*row), write->maxima) << sql;
    }
    for (const auto& [key, maxima] : account.counters()) {
        const auto row = FakeAccount::rowOf(key.second);
        ASSERT_TRUE(row.has_value());
        const auto before = initialCounters_.find(key);
        EXPECT_TRUE(maxima == servedMaxima(*row) ||
                    (before != initialCounters_.end() && before->second == maxima))
            << key.second;
    }

    if (report.end != RunEnd::Completed) {
        EXPECT_TRUE(db.executed().empty());
        EXPECT_TRUE(report.kinds.empty());
        return;
    }
    const auto spans = kindSpans();
    ASSERT_EQ(report.kinds.size(), kVoucherTypeCount);
    ASSERT_EQ(spans.size(), kVoucherTypeCount);
    for (std::size_t row = 0; row < kVoucherTypeCount; ++row) {
        SCOPED_TRACE("row " + std::to_string(row));
        const auto [begin, end] = spans[row];
        std::vector<Call> executes;
        for (std::size_t i = begin; i < end; ++i) {
            if (db.calls()[i].op == Op::Execute) {
                executes.push_back(db.calls()[i]);
            }
        }
        EXPECT_LE(executes.size(), 1u);
        const KindReport& kind = report.kinds[row];
        if (!firstInjected(begin, end) && undisturbed(row) != KindOutcome::Failed) {
            EXPECT_EQ(kind.outcome, undisturbed(row));
            EXPECT_EQ(executes.size(), kind.outcome == KindOutcome::Written ? 1u : 0u);
            continue;
        }
        if (writtenDespiteFailures(begin, end)) {
            EXPECT_EQ(kind.outcome, KindOutcome::Written);
            EXPECT_EQ(executes.size(), 1u);
            continue;
        }
        EXPECT_EQ(kind.outcome, KindOutcome::Failed);
        EXPECT_EQ(kind.reason, expectedReason(row, begin, end));
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, RepairRunFaultInjection, ::testing::Range(0u, 200u));

}  // namespace
}  // namespace kelvar
