#pragma once

#include <chrono>
#include <memory>

#include "platform/database.h"
#include "platform/odbc/timeouts.h"

namespace kelvar::odbc {

class Environment;
class Session;

// CON over ODBC: open() takes the OLE DB string, picks a driver and logs in.
class OdbcConnection final : public Connection {
  public:
    OdbcConnection(std::shared_ptr<const Environment> environment, Timeouts timeouts);
    ~OdbcConnection() override;

    [[nodiscard]] int state() override;
    void open(std::string_view connectionString) override;
    void close() override;
    void setDefaultDatabase(std::string_view name) override;
    void execute(std::string_view sql) override;

    // The statement time-out of later statements, like the classic component's CommandTimeout.
    void setCommandTimeout(std::chrono::seconds timeout) noexcept { timeouts_.statement = timeout; }
    [[nodiscard]] std::chrono::seconds commandTimeout() const noexcept {
        return timeouts_.statement;
    }

    // The live login that statements run on. Throws DatabaseError when not open.
    [[nodiscard]] const Session& session() const;

  private:
    std::shared_ptr<const Environment> environment_;  // outlives the session below
    Timeouts timeouts_;
    std::unique_ptr<Session> session_;
};

}  // namespace kelvar::odbc
