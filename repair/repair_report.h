#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kelvar {

// How one kind ended.
enum class KindOutcome {
    Written,  // its counter row was updated or inserted with the kind's own maxima, after a lookup
              // that answered; a close that failed around it does not undo that
    Skipped,  // one of its tables is empty, so there was nothing to write
    Failed,   // a step failed and the counter was not surely written; the reason says which
};

// The reason given for a kind whose maxima were read but are not whole numbers (or half missing).
inline constexpr std::string_view kNotWholeNumber = "最大单据号不是整数";

struct KindReport {
    KindOutcome outcome = KindOutcome::Skipped;
    // For a failed kind: the first failing step's error description, or kNotWholeNumber.
    std::string reason;
};

// Where the run stopped.
enum class RunEnd {
    ConnectionClosed,   // the connection was not open: nothing sent
    SwitchFailed,       // the account database could not be made the default: nothing written
    AccountUnreadable,  // the name holds no account number: nothing written
    Completed,          // every kind was visited
};

struct RepairReport {
    RunEnd end = RunEnd::ConnectionClosed;
    std::string databaseName;
    // For SwitchFailed: the error's description.
    std::string switchError;
    // For Completed: one report per row of the voucher type table, in table order.
    std::vector<KindReport> kinds;
};

}  // namespace kelvar
