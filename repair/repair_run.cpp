#include "repair_run.h"

#include <optional>
#include <utility>

#include "platform/continue_on_error.h"
#include "repair/completion_message.h"
#include "repair/repair_sql.h"
#include "repair/voucher_type_table.h"

namespace kelvar {
namespace {

// Continue-on-error for one kind: each failure is passed over where the step list says, and the
// first one becomes the kind's reason, so a failure is never reported as success.
class KindSteps {
  public:
    template <typename Step>
    bool step(Step&& action) {
        const bool done = mode_.step(std::forward<Step>(action));
        if (!done) {
            noteFailure();
        }
        return done;
    }

    template <typename Read>
    auto read(Read&& reader) {
        auto value = mode_.read(std::forward<Read>(reader));
        if (!value) {
            noteFailure();
        }
        return value;
    }

    void fail(std::string_view reason) {
        if (!reason_) {
            reason_ = std::string(reason);
        }
    }

    // A kind whose counter was written is reported so whatever failed around the write; any
    // other kind that met a failure failed.
    [[nodiscard]] KindReport report(bool written) const {
        if (written) {
            return {KindOutcome::Written, {}};
        }
        if (reason_) {
            return {KindOutcome::Failed, *reason_};
        }
        return {KindOutcome::Skipped, {}};
    }

  private:
    void noteFailure() { fail(mode_.lastError()->description()); }

    ContinueOnError mode_;
    std::optional<std::string> reason_;
};

}  // namespace

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
    std::optional<Maxima> maxima;

    // 5.1 A fresh RS; 5.2 the maximum query.
    steps.step([&] { db_.renewRecordset(); });
    if (steps.step([&] { db_.rs().open(maximumQuery(row), db_.con()); })) {
        // 5.3 A null "idF" means an empty table: the kind is skipped. 5.4 Both maxima, whole.
        const auto father = steps.read([&] { return db_.rs().field("idF"); });
        if (father && !father->isNull()) {
            if (const auto child = steps.read([&] { return db_.rs().field("idC"); })) {
                maxima = wholeMaxima(*father, *child);
                if (!maxima) {
                    steps.fail(kNotWholeNumber);
                }
            }
        }
    }

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
    return steps.report(written);
}

void cmdOK_Click(DatabaseObjects& db, WindowToolkit& window) {
    RepairRun run(db, window.databaseText());
    if (const auto message = completionMessage(run.run())) {
        window.showMessage(message->text, message->caption);
    }
}

}  // namespace kelvar
