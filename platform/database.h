#pragma once

#include <memory>
#include <string_view>

#include "database_error.h"
#include "value.h"

namespace kelvar {

// The connection as the handlers use it. Every operation may throw DatabaseError.
class Connection {
  public:
    static constexpr int kClosed = 0;
    static constexpr int kOpen = 1;

    virtual ~Connection() = default;

    // 1 when open, 0 otherwise.
    [[nodiscard]] virtual int state() = 0;
    // Takes the OLE DB style connection string that the login builds.
    virtual void open(std::string_view connectionString) = 0;
    virtual void close() = 0;
    // Table names without a database prefix then refer to this database.
    virtual void setDefaultDatabase(std::string_view name) = 0;
    // Runs a statement; any rows it returns are dropped unread. Works while a recordset is open.
    virtual void execute(std::string_view sql) = 0;
};

// A forward-only recordset over one query. Every operation may throw DatabaseError.
class Recordset {
  public:
    static constexpr int kClosed = 0;
    static constexpr int kOpen = 1;

    virtual ~Recordset() = default;

    // Runs the query on the connection; the first row is current, or the end is reached at once.
    virtual void open(std::string_view sql, Connection& connection) = 0;
    // 0 when closed (or the open failed), 1 when readable.
    [[nodiscard]] virtual int state() = 0;
    // True when there is no current row.
    [[nodiscard]] virtual bool eof() = 0;
    // The current row's value of a column, matched regardless of letter case; null for SQL NULL.
    [[nodiscard]] virtual Value field(std::string_view name) = 0;
    virtual void moveNext() = 0;
    virtual void close() = 0;
};

// Creates the database component's objects: the ODBC one in the program, fakes in unit tests.
class DatabaseAccess {
  public:
    virtual ~DatabaseAccess() = default;
    [[nodiscard]] virtual std::unique_ptr<Connection> createConnection() = 0;
    [[nodiscard]] virtual std::unique_ptr<Recordset> createRecordset() = 0;
};

}  // namespace kelvar
