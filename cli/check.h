#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/database_objects.h"
#include "repair/account_number.h"
#include "repair/repair_sql.h"

namespace kelvar::cli {

// How a kind's stored counter stands against the data.
enum class KindStatus {
    InSync,      // stored equals found
    Behind,      // a stored value below the found one: the ERP will hand out ids that collide
    Ahead,       // none below, one above: the repair will lower it
    MissingRow,  // no counter row: the repair will insert it
    Skipped,     // one of its tables is empty: the repair leaves it alone
    Failed,      // a step failed, or a value is not a whole number; the reason says which
};

struct KindCheck {
    // Failed until the check has shown otherwise, so no path can pass for a clean kind by default.
    KindStatus status = KindStatus::Failed;
    std::optional<Maxima> stored;
    std::optional<Maxima> found;
    // For a failed kind: the first failing step's error description, or what could not be read.
    std::string reason;
};

struct DatabaseCheck {
    std::string database;
    // Nothing when the switch failed or the name holds no account number.
    std::optional<AccountNumber> account;
    // Why nothing was read, worded as the window words it; empty when every kind was checked.
    std::string failure;
    // One per row of the voucher type table, in table order, when there is no failure.
    std::vector<KindCheck> kinds;
};

// The reason of a kind whose counter row holds values that are not whole numbers.
inline constexpr std::string_view kStoredNotWholeNumber = "已存的单据号计数不是整数";

// Where a readable counter stands against the maxima found; nothing stored means no row.
[[nodiscard]] KindStatus compareCounter(const std::optional<Maxima>& stored, const Maxima& found);

// True for the statuses that exit 1: everything but in-sync and skipped.
[[nodiscard]] bool needsAttention(KindStatus status);

// Reads the 18 maxima and counters of one account database, as the repair run would find them,
// and writes nothing: only the maximum queries and counterText() are sent. The connection must be
// logged in; it is left switched to the database.
[[nodiscard]] DatabaseCheck checkDatabase(DatabaseObjects& db, std::string_view databaseName);

}  // namespace kelvar::cli
