#include "cli/check.h"

#include <cstddef>
#include <utility>

#include "platform/continue_on_error.h"
#include "repair/completion_message.h"
#include "repair/kind_steps.h"
#include "repair/repair_report.h"
#include "repair/voucher_type_table.h"

namespace kelvar::cli {
namespace {

// The window's words for a run that stopped before the kinds.
std::string stoppedBefore(RunEnd end, std::string_view databaseName, std::string switchError = {}) {
    RepairReport report;
    report.end = end;
    report.databaseName = databaseName;
    report.switchError = std::move(switchError);
    const auto message = completionMessage(report);
    return message ? message->text : std::string();
}

KindCheck checkKind(DatabaseObjects& db, std::size_t row, AccountNumber account) {
    const std::string_view vouchType = voucherTypeTable().at(row).vouchType;
    KindSteps steps;
    KindCheck kind;

    // The maxima exactly as the repair reads them; a null "idF" skips the kind as the repair does.
    kind.found = readKindMaxima(db, row, steps);
    const bool skipped = !kind.found && !steps.reason();

    if (kind.found) {
        // The counter row, read and never written.
        steps.step([&] { db.rs().close(); });
        steps.step([&] { db.renewRecordset(); });
        if (steps.step([&] { db.rs().open(counterText(account, vouchType), db.con()); })) {
            const auto atEnd = steps.read([&] { return db.rs().eof(); });
            if (atEnd && !*atEnd) {
                const auto father = steps.read([&] { return db.rs().field("iFatherId"); });
                const auto child = steps.read([&] { return db.rs().field("iChildId"); });
                if (father && child) {
                    kind.stored = wholeMaxima(*father, *child);
                    if (!kind.stored) {
                        steps.fail(kStoredNotWholeNumber);
                    }
                }
            }
            if (atEnd && *atEnd) {
                kind.status = KindStatus::MissingRow;
            }
        }
    }

    steps.step([&] { db.rs().close(); });

    if (steps.reason()) {
        kind.status = KindStatus::Failed;
        kind.reason = *steps.reason();
    } else if (skipped) {
        kind.status = KindStatus::Skipped;
    } else if (kind.found && kind.status != KindStatus::MissingRow) {
        kind.status = compareCounter(kind.stored, *kind.found);
    }
    return kind;
}

}  // namespace

KindStatus compareCounter(const std::optional<Maxima>& stored, const Maxima& found) {
    if (!stored) {
        return KindStatus::MissingRow;
    }
    if (stored->fatherId < found.fatherId || stored->childId < found.childId) {
        return KindStatus::Behind;
    }
    return *stored == found ? KindStatus::InSync : KindStatus::Ahead;
}

bool needsAttention(KindStatus status) {
    return status != KindStatus::InSync && status != KindStatus::Skipped;
}

DatabaseCheck checkDatabase(DatabaseObjects& db, std::string_view databaseName) {
    DatabaseCheck check;
    check.database = databaseName;
    ContinueOnError mode;

    // The repair run's guard, switch and account number, with its words when one of them stops it.
    if (mode.read([&] { return db.con().state(); }) != Connection::kOpen) {
        check.failure = "与服务器的连接没有打开，没有读取任何内容。";
        return check;
    }
    if (!mode.step([&] { db.con().setDefaultDatabase(databaseName); })) {
        check.failure =
            stoppedBefore(RunEnd::SwitchFailed, databaseName, mode.lastError()->description());
        return check;
    }
    check.account = accountNumberFrom(databaseName);
    if (!check.account) {
        check.failure = stoppedBefore(RunEnd::AccountUnreadable, databaseName);
        return check;
    }

    for (std::size_t row = 0; row < voucherTypeTable().size(); ++row) {
        check.kinds.push_back(checkKind(db, row, *check.account));
    }
    return check;
}

}  // namespace kelvar::cli
