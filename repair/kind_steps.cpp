#include "repair/kind_steps.h"

#include "repair/repair_report.h"

namespace kelvar {

std::optional<Maxima> readKindMaxima(DatabaseObjects& db, std::size_t row, KindSteps& steps) {
    // 5.1 A fresh RS; 5.2 the maximum query.
    steps.step([&] { db.renewRecordset(); });
    if (!steps.step([&] { db.rs().open(maximumQuery(row), db.con()); })) {
        return std::nullopt;
    }
    // 5.3 A null "idF" means an empty table: the kind is skipped. 5.4 Both maxima, whole.
    const auto father = steps.read([&] { return db.rs().field("idF"); });
    if (!father || father->isNull()) {
        return std::nullopt;
    }
    const auto child = steps.read([&] { return db.rs().field("idC"); });
    if (!child) {
        return std::nullopt;
    }
    auto maxima = wholeMaxima(*father, *child);
    if (!maxima) {
        steps.fail(kNotWholeNumber);
    }
    return maxima;
}

}  // namespace kelvar
