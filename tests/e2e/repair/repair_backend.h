#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fakes/fake_window.h"
#include "platform/database_objects.h"
#include "repair/account_number.h"
#include "repair/repair_run.h"
#include "repair/repair_sql.h"
#include "repair/voucher_type_table.h"
#include "sample_data.h"

namespace kelvar::e2e {

// What a backend is set up with before the window connects.
struct BackendSetup {
    // The counter row of this code cannot be inserted: the server rejects it.
    std::optional<std::string> rejectInsertOf;
};

// The window's objects over some database, holding the sample data of tests/standin/sample: the
// unit-test fake scripted with it, or the stand-in server reached through ODBC and FreeTDS.
class RepairBackend {
  public:
    virtual ~RepairBackend() = default;

    [[nodiscard]] virtual DatabaseObjects& objects() = 0;
    // Opens CON as sa on zrsystem, as a refresh would.
    virtual void connect() = 0;
    // The counter rows of one account, codes upper-cased, read back after the run.
    [[nodiscard]] virtual std::map<std::string, Maxima> counters(AccountNumber account) = 0;
    // The texts of the repair statements received so far: maximum queries, lookups, writes.
    [[nodiscard]] virtual std::vector<std::string> repairStatements() = 0;

    fake::FakeWindow window;

    void pressUpdate(std::string_view database) {
        window.databaseEdit = database;
        cmdOK_Click(objects(), window);
    }
};

[[nodiscard]] std::unique_ptr<RepairBackend> makeFakeBackend(const BackendSetup& setup);
[[nodiscard]] std::unique_ptr<RepairBackend> makeStandinBackend(const BackendSetup& setup);

static_assert(standin::sample::kAccountOneMaxima.size() == kVoucherTypeCount);

// A kind's maxima as the sample holds them.
[[nodiscard]] inline Maxima maximaOf(const standin::sample::Maxima& sample) {
    return {sample.father, sample.child};
}

// Counter codes compare without regard to case: tests compare them upper-cased.
[[nodiscard]] std::string upperCased(std::string code);

// Keeps the statements of the repair run from a list of SQL texts.
[[nodiscard]] std::vector<std::string> repairStatementsOf(const std::vector<std::string>& texts);

}  // namespace kelvar::e2e
