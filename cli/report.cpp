#include "cli/report.h"

#include <algorithm>
#include <cstddef>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>

#include "cli/text_table.h"
#include "platform/text.h"
#include "repair/completion_message.h"
#include "repair/voucher_type_table.h"

namespace kelvar::cli {
namespace {

// Keys stay in the order written, so the document reads as documented.
using json = nlohmann::ordered_json;

std::string pair(const std::optional<Maxima>& maxima) {
    return maxima ? std::to_string(maxima->fatherId) + " / " + std::to_string(maxima->childId)
                  : std::string("-");
}

json pairJson(const std::optional<Maxima>& maxima) {
    return maxima ? json::array({maxima->fatherId, maxima->childId}) : json(nullptr);
}

json accountJson(const std::optional<AccountNumber>& account) {
    return account ? json(*account) : json(nullptr);
}

json reasonJson(bool failed, std::string_view reason) {
    return failed ? json(std::string(reason)) : json(nullptr);
}

// Driver text that is not UTF-8 is replaced rather than allowed to break the document.
std::string dumped(const json& document) {
    return document.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

std::string heading(const std::string& database, const std::optional<AccountNumber>& account) {
    std::string line = "数据库 " + database;
    if (account) {
        line += "（账套号 " + std::to_string(*account) + "）";
    }
    return line + "\n";
}

// A failed kind's cell: "失败：" and the reason.
std::string withReason(std::string_view words, bool failed, std::string_view reason) {
    std::string cell(words);
    if (failed) {
        cell += "：" + oneLine(reason);
    }
    return cell;
}

// The message the window would show for a run that stopped before the kinds.
std::string stoppedMessage(const RepairReport& report) {
    if (report.end == RunEnd::ConnectionClosed) {
        return "与服务器的连接没有打开，没有修改任何内容。";
    }
    const auto message = completionMessage(report);
    return message ? message->text : std::string();
}

}  // namespace

std::string_view statusName(KindStatus status) {
    switch (status) {
        case KindStatus::InSync:
            return "in-sync";
        case KindStatus::Behind:
            return "behind";
        case KindStatus::Ahead:
            return "ahead";
        case KindStatus::MissingRow:
            return "missing-row";
        case KindStatus::Skipped:
            return "skipped";
        case KindStatus::Failed:
            return "failed";
    }
    return "failed";
}

std::string_view statusWords(KindStatus status) {
    switch (status) {
        case KindStatus::InSync:
            return "一致";
        case KindStatus::Behind:
            return "落后（单据号会重复）";
        case KindStatus::Ahead:
            return "超前（修复会调低）";
        case KindStatus::MissingRow:
            return "缺少计数行（修复会插入）";
        case KindStatus::Skipped:
            return "跳过（表中没有单据）";
        case KindStatus::Failed:
            return "失败";
    }
    return "失败";
}

std::string_view outcomeName(KindOutcome outcome) {
    switch (outcome) {
        case KindOutcome::Written:
            return "written";
        case KindOutcome::Skipped:
            return "skipped";
        case KindOutcome::Failed:
            return "failed";
    }
    return "failed";
}

std::string_view outcomeWords(KindOutcome outcome) {
    switch (outcome) {
        case KindOutcome::Written:
            return "已写入";
        case KindOutcome::Skipped:
            return "跳过（表中没有单据）";
        case KindOutcome::Failed:
            return "失败";
    }
    return "失败";
}

std::vector<std::vector<std::string>> sharedAccounts(const std::vector<DatabaseCheck>& checks) {
    std::vector<std::vector<std::string>> groups;
    std::map<AccountNumber, std::size_t> groupOf;
    for (const auto& check : checks) {
        if (!check.account) {
            continue;
        }
        const auto [place, added] = groupOf.try_emplace(*check.account, groups.size());
        if (added) {
            groups.emplace_back();
        }
        auto& group = groups[place->second];
        // The same database named twice is one database, not two sharing counters.
        if (std::find(group.begin(), group.end(), check.database) == group.end()) {
            group.push_back(check.database);
        }
    }
    std::erase_if(groups, [](const auto& group) { return group.size() < 2; });
    return groups;
}

std::string accountsText(const std::vector<std::string>& names) {
    std::string text;
    for (const auto& name : names) {
        text += name + "\n";
    }
    return text;
}

std::string accountsJson(std::string_view server, const std::vector<std::string>& names) {
    return dumped({{"server", std::string(server)}, {"databases", names}});
}

std::string checkText(const std::vector<DatabaseCheck>& checks) {
    std::string text;
    for (const auto& check : checks) {
        if (!text.empty()) {
            text += "\n";
        }
        text += heading(check.database, check.account);
        if (!check.failure.empty()) {
            text += "失败：" + oneLine(check.failure) + "\n";
            continue;
        }
        std::vector<std::vector<std::string>> rows{
            {"项目", "代码", "已存计数", "数据中最大", "状态"}};
        std::size_t attention = 0;
        for (std::size_t row = 0; row < check.kinds.size(); ++row) {
            const KindCheck& kind = check.kinds[row];
            const bool failed = kind.status == KindStatus::Failed;
            attention += needsAttention(kind.status) ? 1 : 0;
            rows.push_back({helpItem(row), std::string(voucherTypeTable().at(row).vouchType),
                            pair(kind.stored), pair(kind.found),
                            withReason(statusWords(kind.status), failed, kind.reason)});
        }
        text += formatTable(rows);
        text += attention == 0 ? std::string("全部一致。\n")
                               : std::to_string(attention) + " 项需要处理。\n";
    }
    for (const auto& group : sharedAccounts(checks)) {
        std::string names;
        for (const auto& name : group) {
            names += (names.empty() ? "" : "、") + name;
        }
        text += "\n注意：" + names +
                " 的账套号相同，共用 zrsystem..za_identity 中的同一组计数器；修复其中一个，"
                "计数器只按那一个数据库的数据设置。\n";
    }
    return text;
}

std::string checkJson(std::string_view server, const std::vector<DatabaseCheck>& checks) {
    json databases = json::array();
    for (const auto& check : checks) {
        json kinds = json::array();
        for (std::size_t row = 0; row < voucherTypeTable().size(); ++row) {
            const std::optional<KindCheck> kind = check.failure.empty() && row < check.kinds.size()
                                                      ? std::optional<KindCheck>(check.kinds[row])
                                                      : std::nullopt;
            const KindStatus status = kind ? kind->status : KindStatus::Failed;
            kinds.push_back({{"item", helpItem(row)},
                             {"vouchType", std::string(voucherTypeTable().at(row).vouchType)},
                             {"stored", pairJson(kind ? kind->stored : std::nullopt)},
                             {"found", pairJson(kind ? kind->found : std::nullopt)},
                             {"status", std::string(statusName(status))},
                             {"reason", reasonJson(status == KindStatus::Failed,
                                                   kind ? kind->reason : check.failure)}});
        }
        databases.push_back({{"database", check.database},
                             {"account", accountJson(check.account)},
                             {"kinds", kinds}});
    }
    return dumped({{"server", std::string(server)}, {"databases", databases}});
}

std::string repairText(const RepairReport& report) {
    const bool completed = report.end == RunEnd::Completed;
    std::string text = heading(report.databaseName,
                               completed ? accountNumberFrom(report.databaseName) : std::nullopt);
    if (!completed) {
        return text + "失败：" + oneLine(stoppedMessage(report)) + "\n";
    }
    std::vector<std::vector<std::string>> rows{{"项目", "代码", "结果"}};
    std::size_t failures = 0;
    for (std::size_t row = 0; row < report.kinds.size(); ++row) {
        const KindReport& kind = report.kinds[row];
        const bool failed = kind.outcome == KindOutcome::Failed;
        failures += failed ? 1 : 0;
        rows.push_back({helpItem(row), std::string(voucherTypeTable().at(row).vouchType),
                        withReason(outcomeWords(kind.outcome), failed, kind.reason)});
    }
    text += formatTable(rows);
    text += failures == 0 ? std::string("修改成功！\n")
                          : std::to_string(failures) + " 项的最大单据号未能修改。\n";
    return text;
}

std::string repairJson(std::string_view server, const RepairReport& report) {
    const bool completed = report.end == RunEnd::Completed;
    const std::string stopped = completed ? std::string() : stoppedMessage(report);
    json kinds = json::array();
    for (std::size_t row = 0; row < voucherTypeTable().size(); ++row) {
        const bool known = completed && row < report.kinds.size();
        const KindOutcome outcome = known ? report.kinds[row].outcome : KindOutcome::Failed;
        kinds.push_back({{"item", helpItem(row)},
                         {"vouchType", std::string(voucherTypeTable().at(row).vouchType)},
                         {"status", std::string(outcomeName(outcome))},
                         {"reason", reasonJson(outcome == KindOutcome::Failed,
                                               known ? report.kinds[row].reason : stopped)}});
    }
    const json database{
        {"database", report.databaseName},
        {"account", accountJson(completed ? accountNumberFrom(report.databaseName) : std::nullopt)},
        {"kinds", kinds}};
    return dumped({{"server", std::string(server)}, {"databases", json::array({database})}});
}

bool allInOrder(const std::vector<DatabaseCheck>& checks) {
    return std::all_of(checks.begin(), checks.end(), [](const DatabaseCheck& check) {
        return check.failure.empty() &&
               std::none_of(check.kinds.begin(), check.kinds.end(),
                            [](const KindCheck& kind) { return needsAttention(kind.status); });
    });
}

bool allInOrder(const RepairReport& report) {
    return report.end == RunEnd::Completed &&
           std::none_of(report.kinds.begin(), report.kinds.end(),
                        [](const KindReport& kind) { return kind.outcome == KindOutcome::Failed; });
}

}  // namespace kelvar::cli
