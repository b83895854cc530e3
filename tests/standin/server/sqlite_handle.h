// Owners for SQLite's two handle types.
#pragma once

#include <sqlite3.h>

#include <memory>
#include <stdexcept>
#include <string>

namespace kelvar::standin {

struct SqliteCloser {
    void operator()(sqlite3* db) const noexcept { sqlite3_close_v2(db); }
};
struct StatementFinalizer {
    void operator()(sqlite3_stmt* st) const noexcept { sqlite3_finalize(st); }
};

using SqliteDb = std::unique_ptr<sqlite3, SqliteCloser>;
using SqliteStatement = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

// Opens (creating if asked) a database file; throws std::runtime_error with SQLite's reason.
inline SqliteDb openSqlite(const std::string& path, bool create) {
    sqlite3* raw = nullptr;
    const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0) |
                      SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_URI;
    const int rc = sqlite3_open_v2(path.c_str(), &raw, flags, nullptr);
    SqliteDb db(raw);  // owns the handle even when opening failed
    if (rc != SQLITE_OK) {
        throw std::runtime_error("cannot open " + path + ": " +
                                 (raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc)));
    }
    sqlite3_extended_result_codes(db.get(), 1);
    return db;
}

// Runs SQL that produces no rows; throws std::runtime_error with SQLite's message.
inline void execSqlite(sqlite3* db, const std::string& sql) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string text = message ? message : sqlite3_errmsg(db);
        sqlite3_free(message);
        throw std::runtime_error(text);
    }
}

}  // namespace kelvar::standin
