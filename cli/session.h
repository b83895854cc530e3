#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/database_objects.h"

namespace kelvar::cli {

// Logs CON in as the window's refresh does: sa on zrsystem, the connection string filled from the
// login's template, an open connection closed first. Nothing on success; otherwise the error's
// description in the driver's words, as the window shows it (empty when no step failed).
[[nodiscard]] std::optional<std::string> logIn(DatabaseObjects& db, std::string_view serverName,
                                               std::string_view password);

struct AccountList {
    // In the server's order; a null name is left out, as the window leaves it out.
    std::vector<std::string> names;
    // The driver's words when the account query could not be read.
    std::optional<std::string> error;
};

// The account databases by the window's account query, through RS.
[[nodiscard]] AccountList listAccounts(DatabaseObjects& db);

}  // namespace kelvar::cli
