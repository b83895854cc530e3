#include "repair/completion_message.h"

#include <gtest/gtest.h>

#include <string>

#include "golden_texts.h"

namespace kelvar {
namespace {

const std::string kCaption(golden::kRepairCaption);

RepairReport ended(RunEnd end, std::string databaseName, std::string switchError = {}) {
    RepairReport report;
    report.end = end;
    report.databaseName = std::move(databaseName);
    report.switchError = std::move(switchError);
    return report;
}

RepairReport completed(std::vector<KindReport> kinds) {
    RepairReport report = ended(RunEnd::Completed, "zrdata_001_2004");
    report.kinds = std::move(kinds);
    return report;
}

std::vector<KindReport> allKinds(KindOutcome outcome) {
    return std::vector<KindReport>(18, KindReport{outcome, {}});
}

TEST(CompletionMessage, ClosedConnectionShowsNothing) {
    EXPECT_EQ(completionMessage(ended(RunEnd::ConnectionClosed, "zrdata_001_2004")), std::nullopt);
}

TEST(CompletionMessage, WrittenAndSkippedKindsAreASuccess) {
    auto kinds = allKinds(KindOutcome::Written);
    kinds[4].outcome = KindOutcome::Skipped;
    const CompletionMessage success{std::string(golden::kRepairSucceeded), kCaption};
    EXPECT_EQ(completionMessage(completed(kinds)), success);
    EXPECT_EQ(completionMessage(completed(allKinds(KindOutcome::Skipped))), success);
}

TEST(CompletionMessage, OneFailedKindIsNamedWithItsReason) {
    auto kinds = allKinds(KindOutcome::Written);
    kinds[3] = {KindOutcome::Failed, "[FreeTDS][SQL Server]Invalid object name 'PO_Pomain'."};
    EXPECT_EQ(
        completionMessage(completed(kinds)),
        (CompletionMessage{"以下单据的最大单据号未能修改：\n"
                           "4.采购订单：[FreeTDS][SQL Server]Invalid object name 'PO_Pomain'.",
                           kCaption}));
}

TEST(CompletionMessage, SeveralFailedKindsInTableOrderWithLineBreaksFlattened) {
    auto kinds = allKinds(KindOutcome::Skipped);
    kinds[17] = {KindOutcome::Failed, "trigger said no"};
    kinds[0] = {KindOutcome::Failed, "first line\nsecond line\r\nthird"};
    kinds[9] = {KindOutcome::Failed, std::string(golden::kNotAWholeNumber)};
    EXPECT_EQ(completionMessage(completed(kinds)),
              (CompletionMessage{"以下单据的最大单据号未能修改：\n"
                                 "1.收发记录主子表：first line second line third\n"
                                 "10.盘点单：" +
                                     std::string(golden::kNotAWholeNumber) +
                                     "\n"
                                     "18.现结线索：trigger said no",
                                 kCaption}));
}

TEST(CompletionMessage, FailedSwitchNamesTheDatabaseAndTheServersWords) {
    EXPECT_EQ(completionMessage(ended(RunEnd::SwitchFailed, "zrdata_009_2024",
                                      "Database 'zrdata_009_2024' does not exist.")),
              (CompletionMessage{"无法打开数据库“zrdata_009_2024”：\n"
                                 "Database 'zrdata_009_2024' does not exist.",
                                 kCaption}));
}

TEST(CompletionMessage, UnreadableAccountNamesTheDatabase) {
    EXPECT_EQ(completionMessage(ended(RunEnd::AccountUnreadable, "zrdata_abc")),
              (CompletionMessage{"数据库名“zrdata_abc”中没有可用的账套号。", kCaption}));
    EXPECT_EQ(completionMessage(ended(RunEnd::AccountUnreadable, "")),
              (CompletionMessage{"数据库名“”中没有可用的账套号。", kCaption}));
}

}  // namespace
}  // namespace kelvar
