#include "completion_message.h"

#include <cstddef>
#include <string_view>

#include "platform/text.h"
#include "repair/voucher_type_table.h"

namespace kelvar {
namespace {

constexpr std::string_view kCaption = "修改最大单据号";

std::string kindsMessage(const std::vector<KindReport>& kinds) {
    std::string failures;
    for (std::size_t row = 0; row < kinds.size(); ++row) {
        if (kinds[row].outcome == KindOutcome::Failed) {
            // Appended piece by piece: GCC 12 at -O3 sees overlapping copies, wrongly, in the
            // chain of temporaries that "+" would make.
            failures += '\n';
            failures += helpItem(row);
            failures += "：";
            failures += oneLine(kinds[row].reason);
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
