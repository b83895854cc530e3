#pragma once

#include <array>
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "fakes/fake_database.h"
#include "repair/account_number.h"
#include "repair/repair_sql.h"
#include "repair/voucher_type_table.h"

namespace kelvar::fake {

// An account database and the counter rows of zrsystem..za_identity, scripted on a FakeDatabase for
// unit tests only. Each kind's maximum query reads the two values served for it (by default
// distinct whole numbers per kind); counter lookups and reads see the rows stored here; updates and
// inserts change them as the server would. Every account database answers alike.
class FakeAccount {
  public:
    struct Served {
        Value idf;
        Value idc;
    };
    using CounterKey = std::pair<AccountNumber, std::string>;
    // Codes compare without regard to case, as under the server's default collation.
    struct CounterKeyLess {
        bool operator()(const CounterKey& a, const CounterKey& b) const;
    };
    using Counters = std::map<CounterKey, Maxima, CounterKeyLess>;

    // One update or insert, read back from its text.
    struct Write {
        AccountNumber account = 0;
        std::string code;
        Maxima maxima;
        bool inserted = false;
        friend bool operator==(const Write&, const Write&) = default;
    };

    explicit FakeAccount(FakeDatabase& db);

    // The maxima that kind `row`'s query gives unless a test serves others: father 100 + row,
    // child 1000 + row.
    [[nodiscard]] static Maxima defaultMaxima(std::size_t row);
    void serve(std::size_t row, Value idf, Value idc);
    [[nodiscard]] const Served& served(std::size_t row) const { return served_.at(row); }

    // A counter row present before the run.
    void storeCounter(AccountNumber account, std::string code, Maxima maxima);
    [[nodiscard]] const Counters& counters() const { return counters_; }

    // Reads an update or insert text; nothing for any other statement.
    [[nodiscard]] static std::optional<Write> decode(std::string_view sql);
    // The row of the voucher type table whose code this is.
    [[nodiscard]] static std::optional<std::size_t> rowOf(std::string_view code);

  private:
    [[nodiscard]] std::optional<ResultSet> answer(std::string_view sql) const;
    void apply(std::string_view sql);

    std::array<Served, kVoucherTypeCount> served_;
    Counters counters_;
};

}  // namespace kelvar::fake
