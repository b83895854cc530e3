#pragma once

#include <string>
#include <string_view>

namespace kelvar {

// The login as sa on the system database: "|1" the password, "|2" the server, "|3" the catalog.
inline constexpr std::string_view ConnectionTemplate =
    "Provider=SQLOLEDB;Password=|1;Persist Security Info=True;User ID='sa';Initial "
    "Catalog='|3';Data Source='|2'";

// The ERP's system database, where every login starts.
inline constexpr std::string_view SystemCatalog = "zrsystem";

// ConnectionTemplate with each placeholder replaced once by its value, in a single pass over the
// template, so typed text is never searched for placeholders. The typed texts are quoted by the
// OLE DB rules only where they need it, so they reach the server exactly as typed.
[[nodiscard]] std::string fillConnectionTemplate(std::string_view password,
                                                 std::string_view serverName);

}  // namespace kelvar
