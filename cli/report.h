#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "cli/check.h"
#include "repair/repair_report.h"

namespace kelvar::cli {

// A status as the JSON document names it ("in-sync", "written", ...) and as a person reads it.
[[nodiscard]] std::string_view statusName(KindStatus status);
[[nodiscard]] std::string_view statusWords(KindStatus status);
[[nodiscard]] std::string_view outcomeName(KindOutcome outcome);
[[nodiscard]] std::string_view outcomeWords(KindOutcome outcome);

// The checked databases that carry one account number, in groups of two or more, each group in
// the order checked: they share one set of counters in zrsystem..za_identity.
[[nodiscard]] std::vector<std::vector<std::string>> sharedAccounts(
    const std::vector<DatabaseCheck>& checks);

[[nodiscard]] std::string accountsText(const std::vector<std::string>& names);
[[nodiscard]] std::string accountsJson(std::string_view server,
                                       const std::vector<std::string>& names);

// A table per database (item, code, stored, found, status), then a note for every group of
// databases that share their counters.
[[nodiscard]] std::string checkText(const std::vector<DatabaseCheck>& checks);
// {"server", "databases": [{"database", "account", "kinds": [{"item", "vouchType", "stored",
// "found", "status", "reason"}]}]}; a database that could not be read lists every kind failed
// with its reason.
[[nodiscard]] std::string checkJson(std::string_view server,
                                    const std::vector<DatabaseCheck>& checks);

[[nodiscard]] std::string repairText(const RepairReport& report);
// As checkJson, one database, kinds without "stored" and "found".
[[nodiscard]] std::string repairJson(std::string_view server, const RepairReport& report);

// True when every kind of every database is in-sync or skipped (written or skipped).
[[nodiscard]] bool allInOrder(const std::vector<DatabaseCheck>& checks);
[[nodiscard]] bool allInOrder(const RepairReport& report);

}  // namespace kelvar::cli
