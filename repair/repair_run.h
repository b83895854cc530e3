#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/database_objects.h"
#include "platform/toolkit.h"
#include "repair/account_number.h"
#include "repair/repair_report.h"

namespace kelvar {

// Sets the 18 counters of one account in zrsystem..za_identity to the largest ids found in the
// account database, through the window's CON and a fresh RS for every query.
class RepairRun {
  public:
    RepairRun(DatabaseObjects& db, std::string_view databaseName);

    // Runs once; the report says how each kind ended and is what the user is told.
    [[nodiscard]] RepairReport run();

  private:
    [[nodiscard]] KindReport repairKind(std::size_t row, AccountNumber account);

    DatabaseObjects& db_;
    std::string databaseName_;
};

// The update button: repairs the 18 counters of the account database named in dbList.
void cmdOK_Click(DatabaseObjects& db, WindowToolkit& window);

}  // namespace kelvar
