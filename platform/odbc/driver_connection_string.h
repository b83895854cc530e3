#pragma once

// From the OLE DB settings the login writes to the connection string an ODBC driver reads.
//
//   const std::string driver = chooseDriver(installedDrivers());          // throws DatabaseError
//   const std::string odbc = buildDriverConnectionString(settings, driver); // throws DatabaseError
//
// Both are pure: no driver manager is asked, so the rules are tested on their own.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "platform/odbc/connection_string.h"

namespace kelvar::odbc {

// The drivers that can reach SQL Server, best first.
inline constexpr std::array<std::string_view, 4> kSqlServerDrivers = {
    "ODBC Driver 18 for SQL Server",
    "ODBC Driver 17 for SQL Server",
    "FreeTDS",
    "SQL Server",
};

// The first of kSqlServerDrivers among the installed drivers (names match regardless of letter
// case). None installed: DatabaseError naming the drivers looked for.
[[nodiscard]] std::string chooseDriver(const std::vector<std::string>& installed);

// The ODBC connection string for one of kSqlServerDrivers, ending in ';'.
// Maps Provider (must be SQLOLEDB), User ID, Password, Initial Catalog and Data Source; other OLE
// DB keywords ("Persist Security Info") mean nothing to an ODBC driver and are left out. Throws
// DatabaseError for another provider, a bad port, or a value the driver cannot be given unaltered.
[[nodiscard]] std::string buildDriverConnectionString(const ConnectionSettings& settings,
                                                      std::string_view driver);

}  // namespace kelvar::odbc
