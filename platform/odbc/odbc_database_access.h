#pragma once

#include <memory>

#include "platform/database.h"
#include "platform/odbc/timeouts.h"

namespace kelvar::odbc {

class Environment;

// The database component over ODBC: connections share one ODBC environment, which lives as long
// as the last of them.
class OdbcDatabaseAccess final : public DatabaseAccess {
  public:
    // Sets up the ODBC environment; throws DatabaseError when the driver manager cannot.
    explicit OdbcDatabaseAccess(Timeouts timeouts = {});
    ~OdbcDatabaseAccess() override;

    [[nodiscard]] std::unique_ptr<Connection> createConnection() override;
    [[nodiscard]] std::unique_ptr<Recordset> createRecordset() override;

  private:
    std::shared_ptr<const Environment> environment_;
    Timeouts timeouts_;
};

}  // namespace kelvar::odbc
