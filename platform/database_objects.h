#pragma once

#include <memory>

#include "database.h"

namespace kelvar {

// CON and RS as the window holds them from load to query-unload. The repair run swaps RS for a
// fresh recordset before each query; only the latest one is kept.
class DatabaseObjects {
  public:
    // Creates CON, then RS, both closed.
    explicit DatabaseObjects(DatabaseAccess& access);

    DatabaseObjects(const DatabaseObjects&) = delete;
    DatabaseObjects& operator=(const DatabaseObjects&) = delete;

    [[nodiscard]] Connection& con() { return *con_; }
    [[nodiscard]] Recordset& rs() { return *rs_; }

    // Stores a new, closed recordset in RS; the previous one is released here.
    Recordset& renewRecordset();

    // Drops CON, then RS, without closing either: releasing ends an open connection.
    void release() noexcept;
    [[nodiscard]] bool released() const noexcept { return !con_ && !rs_; }

  private:
    DatabaseAccess& access_;
    std::unique_ptr<Connection> con_;
    std::unique_ptr<Recordset> rs_;
};

}  // namespace kelvar
