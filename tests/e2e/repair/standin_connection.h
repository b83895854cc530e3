#pragma once

#include <map>
#include <string>
#include <string_view>

#include "platform/database.h"
#include "repair/account_number.h"
#include "repair/repair_sql.h"
#include "standin_process.h"

namespace kelvar::e2e {

// A trigger that makes the server reject the insert of one code's counter row ("no <code> today").
[[nodiscard]] std::string rejectInsertTrigger(std::string_view code);

// The counter rows of one account, read through a connection of its own: code as stored -> maxima.
[[nodiscard]] std::map<std::string, Maxima> readCounters(DatabaseAccess& access,
                                                         const standin::StandinProcess& server,
                                                         AccountNumber account);

}  // namespace kelvar::e2e
