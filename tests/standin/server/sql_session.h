// One client connection's view of the databases: a SQLite connection whose `main` is the current
// database, with `master` (holding sysdatabases) and, per statement, the other databases it names
// attached. Attaching only what a statement names keeps unqualified table names resolving in the
// current database alone, as on SQL Server.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

#include "catalog.h"
#include "result_set.h"
#include "sql_rewriter.h"
#include "sqlite_handle.h"
#include "token_writer.h"

namespace kelvar::standin {

struct StatementOutcome {
    std::optional<ResultSet> result;            // set for statements that return rows
    std::optional<std::uint64_t> rowsAffected;  // set for INSERT, UPDATE and DELETE
    std::optional<ServerMessage> error;
};

class SqlSession {
  public:
    // `database` must be a name the catalog knows (see Catalog::canonicalName).
    SqlSession(const Catalog& catalog, const std::string& database);

    const std::string& database() const { return database_; }

    // Switches the current database; returns false, changing nothing, if it does not exist.
    bool use(const std::string& name);

    // Runs one kQuery statement produced by rewriteStatement.
    StatementOutcome run(const Statement& statement);

    // Stops the statement running on another thread, if any. Safe from any thread.
    void interrupt();

  private:
    void open(const std::string& database);
    void attachNeeded(const Statement& statement);

    const Catalog& catalog_;
    std::string database_;
    std::vector<std::string> attached_;
    std::mutex dbMutex_;  // guards db_ against interrupt() while use() replaces it
    SqliteDb db_;
};

// SQLite's wording mapped to SQL Server's numbers and wording; exposed for tests.
ServerMessage serverErrorFor(int extendedCode, const std::string& sqliteMessage);

}  // namespace kelvar::standin
