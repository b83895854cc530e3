#pragma once

#include <string>
#include <vector>

#include "platform/odbc/odbc_handle.h"

namespace kelvar::odbc {

// The ODBC environment (version 3.80) that every connection is made under. Connections hold it
// by shared_ptr so it outlives them.
class Environment {
  public:
    // Throws DatabaseError when the driver manager cannot provide one.
    Environment();

    [[nodiscard]] const EnvironmentHandle& handle() const noexcept { return handle_; }

    // The names of the drivers the driver manager knows, as it lists them.
    [[nodiscard]] std::vector<std::string> installedDrivers() const;

  private:
    EnvironmentHandle handle_;
};

}  // namespace kelvar::odbc
