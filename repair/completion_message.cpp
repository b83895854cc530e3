#include "completion_message.h"

#include <algorithm>
#include <cstddef>

#include "repair/voucher_type_table.h"

namespace kelvar {
namespace {

constexpr std::string_view kCaption = "修改最大单据号";

// Each failed kind takes one line of the message, so the driver's multi-line words are flattened.
std::string oneLine(std::string text) {
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    return text;
}

std::string kindsMessage(const std::vector<KindReport>& kinds) {
    std::string failures;
    for (std::size_t row = 0; row < kinds.size(); ++row) {
        if (kinds[row].outcome == KindOutcome::Failed) {
            failures += "\n" + helpItem(row) + "：" + oneLine(kinds[row].reason);
        }
    }
    return failures.empty() ? std::string("修改成功！")
                            : "以下单据的最大单据号未能修改：" + failures;
}

}  // namespace

std::optional<CompletionMessage> completionMessage(const RepairReport& report) {
    const std::string caption(kCaption);
    switch (report.end) {
        case RunEnd::ConnectionClosed:
            return std::nullopt;
        case RunEnd::SwitchFailed:
            return CompletionMessage{
                "无法打开数据库“" + report.databaseName + "”：\n" + report.switchError, caption};
        case RunEnd::AccountUnreadable:
            return CompletionMessage{"数据库名“" + report.databaseName + "”中没有可用的账套号。",
                                     caption};
        case RunEnd::Completed:
            return CompletionMessage{kindsMessage(report.kinds), caption};
    }
    return std::nullopt;
}

}  // namespace kelvar
