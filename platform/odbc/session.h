#pragma once

#include <chrono>
#include <string_view>

#include "platform/odbc/environment.h"

namespace kelvar::odbc {

// One live login to a server: a connection handle that is connected for as long as this lives.
class Session {
  public:
    // Logs in with an ODBC connection string. On failure throws DatabaseError and leaves nothing
    // behind.
    Session(const Environment& environment, std::string_view odbcConnectionString,
            std::chrono::seconds loginTimeout);
    ~Session();

    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Ends the login; throws DatabaseError when the driver reports a failure. The destructor then
    // tries once more.
    void disconnect();

    [[nodiscard]] const ConnectionHandle& handle() const noexcept { return handle_; }

  private:
    ConnectionHandle handle_;
    bool connected_ = false;
};

}  // namespace kelvar::odbc
