#include <algorithm>
#include <cctype>
#include <set>

#include "fake_account.h"
#include "fakes/fake_database.h"
#include "platform/odbc/odbc_database_access.h"
#include "repair_backend.h"
#include "standin_connection.h"

namespace kelvar::e2e {
namespace {

// The unit-test fake, scripted with the sample's account 001 and counter rows.
class FakeBackend final : public RepairBackend {
  public:
    explicit FakeBackend(const BackendSetup& setup) {
        for (std::size_t row = 0; row < kVoucherTypeCount; ++row) {
            const auto& maxima = standin::sample::kAccountOneMaxima[row];
            account_.serve(row, maxima ? Value(maxima->father) : Value(),
                           maxima ? Value(maxima->child) : Value());
        }
        for (const auto& stored : standin::sample::kStoredCounters) {
            account_.storeCounter(stored.account, stored.code, maximaOf(stored.maxima));
        }
        db_.failWhen([](const fake::Call& call) -> std::optional<DatabaseError> {
            static const std::set<std::string> databases{"zrsystem", "zrdata_001_2024",
                                                         "zrdata_002_2024", "zrdata_003_2024"};
            if (call.op != fake::Op::SetDefaultDatabase || databases.contains(call.argument)) {
                return std::nullopt;
            }
            return DatabaseError(911, "Database '" + call.argument +
                                          "' does not exist. Make sure that the name is entered "
                                          "correctly.");
        });
        if (setup.rejectInsertOf) {
            db_.failOn(fake::Op::Execute, {50000, "no " + *setup.rejectInsertOf + " today"},
                       "'" + *setup.rejectInsertOf + "',");
        }
    }

    DatabaseObjects& objects() override { return objects_; }
    void connect() override { objects_.con().open(standin::oleDbLogin(1433, "secret")); }

    std::map<std::string, Maxima> counters(AccountNumber account) override {
        std::map<std::string, Maxima> rows;
        for (const auto& [key, maxima] : account_.counters()) {
            if (key.first == account) {
                rows[upperCased(key.second)] = maxima;
            }
        }
        return rows;
    }

    std::vector<std::string> repairStatements() override {
        return repairStatementsOf(db_.sqlSent());
    }

  private:
    fake::FakeDatabase db_;
    fake::FakeAccount account_{db_};
    DatabaseObjects objects_{db_};
};

// The stand-in server with the sample data, reached through the ODBC layer and FreeTDS.
class StandinBackend final : public RepairBackend {
  public:
    explicit StandinBackend(const BackendSetup& setup) : server_(options(setup)) {}

    DatabaseObjects& objects() override { return objects_; }
    void connect() override { objects_.con().open(server_.oleDbLogin()); }
    std::map<std::string, Maxima> counters(AccountNumber account) override {
        std::map<std::string, Maxima> rows;
        for (const auto& [code, maxima] : readCounters(access_, server_, account)) {
            rows[upperCased(code)] = maxima;
        }
        return rows;
    }
    std::vector<std::string> repairStatements() override {
        return repairStatementsOf(server_.sqlTexts());
    }

  private:
    static standin::StandinOptions options(const BackendSetup& setup) {
        standin::StandinOptions options;
        if (setup.rejectInsertOf) {
            options.extraSql = {{"zrsystem", rejectInsertTrigger(*setup.rejectInsertOf)}};
        }
        return options;
    }

    standin::StandinProcess server_;
    odbc::OdbcDatabaseAccess access_;
    DatabaseObjects objects_{access_};
};

}  // namespace

std::string upperCased(std::string code) {
    std::transform(code.begin(), code.end(), code.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return code;
}

std::unique_ptr<RepairBackend> makeFakeBackend(const BackendSetup& setup) {
    return std::make_unique<FakeBackend>(setup);
}

std::unique_ptr<RepairBackend> makeStandinBackend(const BackendSetup& setup) {
    return std::make_unique<StandinBackend>(setup);
}

std::vector<std::string> repairStatementsOf(const std::vector<std::string>& texts) {
    std::vector<std::string> kept;
    std::copy_if(texts.begin(), texts.end(), std::back_inserter(kept), [](const std::string& sql) {
        return sql.starts_with("select max(") || sql.starts_with("select sum(") ||
               sql.starts_with("select cvouchtype ") || sql.starts_with("update zrsystem..") ||
               sql.starts_with("insert into zrsystem..");
    });
    return kept;
}

}  // namespace kelvar::e2e
