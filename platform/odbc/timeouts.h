#pragma once

#include <chrono>

namespace kelvar::odbc {

// How long a login and a statement may wait for the server; the classic provider's defaults.
// ODBC counts whole seconds; zero means wait for ever.
struct Timeouts {
    std::chrono::seconds login{15};
    std::chrono::seconds statement{30};
};

}  // namespace kelvar::odbc
