#include "repair_run.h"

#include <optional>
#include <utility>

#include "platform/continue_on_error.h"
#include "repair/completion_message.h"
#include "repair/kind_steps.h"
#include "repair/repair_sql.h"
#include "repair/voucher_type_table.h"

namespace kelvar {

RepairRun::RepairRun(DatabaseObjects& db, std::string_view databaseName)
    : db_(db), databaseName_(databaseName) {}

RepairReport RepairRun::run() {
    RepairReport report;
    report.databaseName = databaseName_;
    ContinueOnError mode;

    // 2. Guard: only an open connection goes on; a state that cannot be read counts as closed.
    if (mode.read([&] { return db_.con().state(); }) != Connection::kOpen) {
        return report;
    }

    // 3. Switch: without it the maxima would come from whatever database CON still points at.
    if (!mode.step([&] { db_.con().setDefaultDatabase(databaseName_); })) {
        report.end = RunEnd::SwitchFailed;
        report.switchError = mode.lastError()->description();
        return report;
    }

    // 4. Account: no counter row is written under a number not read from the name.
    const auto account = accountNumberFrom(databaseName_);
    if (!account) {
        report.end = RunEnd::AccountUnreadable;
        return report;
    }

    // 5. Every kind, in table order.
    report.end = RunEnd::Completed;
    for (std::size_t row = 0; row < voucherTypeTable().size(); ++row) {
        report.kinds.push_back(repairKind(row, *account));
    }
    return report;
}

KindReport RepairRun::repairKind(std::size_t row, AccountNumber account) {
    const std::string_view vouchType = voucherTypeTable().at(row).vouchType;
    KindSteps steps;
    // 5.1-5.4
    const std::optional<Maxima> maxima = readKindMaxima(db_, row, steps);

    bool written = false;
    if (maxima) {
        // 5.5 Close RS, a fresh RS, the lookup.
        steps.step([&] { db_.rs().close(); });
        steps.step([&] { db_.renewRecordset(); });
        const bool lookedUp =
            steps.step([&] { db_.rs().open(lookupText(account, vouchType), db_.con()); });
        const auto atEnd = lookedUp ? steps.read([&] { return db_.rs().eof(); }) : std::nullopt;

        // 5.6 Update an existing row, insert a missing one. A lookup that failed goes on with the
        // update, which changes nothing where no row exists, so only a lookup that answered
        // makes the write count as done.
        const bool rowExists = !atEnd.value_or(false);
        const bool executed = steps.step([&] {
            db_.con().execute(rowExists ? updateText(account, vouchType, *maxima)
                                        : insertText(account, vouchType, *maxima));
        });
        written = executed && atEnd.has_value();
    }

    // 5.7 Close RS.
    steps.step([&] { db_.rs().close(); });

    // A kind whose counter was written is reported so, whatever failed around the write; any
    // other kind that met a failure failed.
    if (written) {
        return {KindOutcome::Written, {}};
    }
    if (steps.reason()) {
        return {KindOutcome::Failed, *steps.reason()};
    }
    return {KindOutcome::Skipped, {}};
}

void cmdOK_Click(DatabaseObjects& db, WindowToolkit& window) {
    RepairRun run(db, window.databaseText());
    if (const auto message = completionMessage(run.run())) {
        window.showMessage(message->text, message->caption);
    }
}

}  // namespace kelvar
