#include "sql_session.h"

#include <algorithm>
#include <cctype>

namespace kelvar::standin {
namespace {

constexpr int kBusyTimeoutMs = 10000;

// Database names on SQL Server compare without regard to case or trailing blanks; sysdatabases
// uses this collation so `name = 'x' + cast(n as nchar)`-style comparisons behave the same.
int compareNames(void*, int lenA, const void* a, int lenB, const void* b) {
    auto trimmed = [](const char* s, int n) {
        while (n > 0 && s[n - 1] == ' ') {
            --n;
        }
        return n;
    };
    const char* sa = static_cast<const char*>(a);
    const char* sb = static_cast<const char*>(b);
    const int na = trimmed(sa, lenA);
    const int nb = trimmed(sb, lenB);
    for (int i = 0; i < std::min(na, nb); ++i) {
        const int ca = std::tolower(static_cast<unsigned char>(sa[i]));
        const int cb = std::tolower(static_cast<unsigned char>(sb[i]));
        if (ca != cb) {
            return ca - cb;
        }
    }
    return na - nb;
}

std::string quoteLiteral(const std::string& s) {
    std::string out = "'";
    for (char c : s) {
        out += c;
        if (c == '\'') {
            out += '\'';
        }
    }
    return out + "'";
}

std::string quoteIdentifier(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        out += c;
        if (c == '"') {
            out += '"';
        }
    }
    return out + "\"";
}

bool changesRows(const std::string& sql) {
    std::string first;
    for (char c : sql) {
        if (std::isalpha(static_cast<unsigned char>(c))) {
            first += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        } else if (!first.empty()) {
            break;
        }
    }
    return first == "insert" || first == "update" || first == "delete" || first == "replace";
}

std::string afterPrefix(const std::string& message, const std::string& prefix) {
    return message.compare(0, prefix.size(), prefix) == 0 ? message.substr(prefix.size()) : "";
}

}  // namespace

ServerMessage serverErrorFor(int extendedCode, const std::string& sqliteMessage) {
    if (extendedCode == SQLITE_CONSTRAINT_TRIGGER) {
        return {50000, 1, 16, sqliteMessage};
    }
    if (std::string name = afterPrefix(sqliteMessage, "no such table: "); !name.empty()) {
        // SQLite names `db.t` where the client wrote `db..t`; `main` is the current database.
        if (name.rfind("main.", 0) == 0) {
            name.erase(0, 5);
        } else if (const auto dot = name.find('.'); dot != std::string::npos) {
            name.insert(dot, ".");
        }
        return {208, 1, 16, "Invalid object name '" + name + "'."};
    }
    if (std::string name = afterPrefix(sqliteMessage, "no such column: "); !name.empty()) {
        // SQL Server names only the column, not the alias or table in front of it.
        if (const auto dot = name.rfind('.'); dot != std::string::npos) {
            name.erase(0, dot + 1);
        }
        return {207, 1, 16, "Invalid column name '" + name + "'."};
    }
    return {50000, 1, 16, sqliteMessage};
}

SqlSession::SqlSession(const Catalog& catalog, const std::string& database) : catalog_(catalog) {
    open(database);
}

void SqlSession::open(const std::string& database) {
    const DatabaseFile* file = catalog_.find(database);
    SqliteDb db = openSqlite(file ? file->path.string() : ":memory:", false);
    sqlite3_busy_timeout(db.get(), kBusyTimeoutMs);
    // Unaliased columns then carry their text as written; resultColumnName trims it.
    execSqlite(db.get(), "PRAGMA short_column_names=OFF");
    // The working copies are thrown away when the server stops; durability buys nothing.
    execSqlite(db.get(), "PRAGMA synchronous=OFF");
    sqlite3_create_collation_v2(db.get(), "DBNAME", SQLITE_UTF8, nullptr, compareNames, nullptr);
    const bool isMaster = equalsIgnoreCase(database, "master");
    if (!isMaster) {
        execSqlite(db.get(), "ATTACH ':memory:' AS master");
    }
    const std::string table = std::string(isMaster ? "main" : "master") + ".sysdatabases";
    std::string sysdatabases = "CREATE TABLE " + table +
                               "(name TEXT COLLATE DBNAME); INSERT INTO " + table +
                               "(name) VALUES ";
    const auto names = catalog_.allNames();
    for (std::size_t i = 0; i < names.size(); ++i) {
        sysdatabases += (i ? ",(" : "(") + quoteLiteral(names[i]) + ")";
    }
    execSqlite(db.get(), sysdatabases);

    std::lock_guard lock(dbMutex_);
    db_ = std::move(db);
    database_ = *catalog_.canonicalName(database);
    attached_.clear();
}

bool SqlSession::use(const std::string& name) {
    if (!catalog_.canonicalName(name)) {
        return false;
    }
    open(name);
    return true;
}

void SqlSession::interrupt() {
    std::lock_guard lock(dbMutex_);
    if (db_) {
        sqlite3_interrupt(db_.get());
    }
}

void SqlSession::attachNeeded(const Statement& statement) {
    std::vector<std::string> wanted;
    for (const auto& name : statement.databases) {
        if (catalog_.find(name) != nullptr) {
            wanted.push_back(*catalog_.canonicalName(name));
        }
    }
    for (auto it = attached_.begin(); it != attached_.end();) {
        if (std::find(wanted.begin(), wanted.end(), *it) == wanted.end()) {
            execSqlite(db_.get(), "DETACH " + quoteIdentifier(*it));
            it = attached_.erase(it);
        } else {
            ++it;
        }
    }
    for (const auto& name : wanted) {
        if (std::find(attached_.begin(), attached_.end(), name) == attached_.end()) {
            execSqlite(db_.get(), "ATTACH " + quoteLiteral(catalog_.find(name)->path.string()) +
                                      " AS " + quoteIdentifier(name));
            attached_.push_back(name);
        }
    }
}

StatementOutcome SqlSession::run(const Statement& statement) {
    StatementOutcome outcome;
    sqlite3* db = db_.get();
    try {
        attachNeeded(statement);
    } catch (const std::exception& e) {
        outcome.error = ServerMessage{50000, 1, 16, e.what()};
        return outcome;
    }

    sqlite3_stmt* raw = nullptr;
    int rc = sqlite3_prepare_v2(db, statement.text.c_str(), -1, &raw, nullptr);
    SqliteStatement stmt(raw);
    if (rc != SQLITE_OK) {
        outcome.error = serverErrorFor(sqlite3_extended_errcode(db), sqlite3_errmsg(db));
        return outcome;
    }
    if (!stmt) {  // only a comment
        return outcome;
    }

    const int columns = sqlite3_column_count(stmt.get());
    ResultSet result;
    std::vector<std::string> declared;
    for (int c = 0; c < columns; ++c) {
        const char* name = sqlite3_column_name(stmt.get(), c);
        const char* decl = sqlite3_column_decltype(stmt.get(), c);
        result.columns.push_back(Column{resultColumnName(name ? name : ""), WireType::kBigInt, 1});
        declared.emplace_back(decl ? decl : "");
    }
    while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
        std::vector<Value> row;
        row.reserve(static_cast<std::size_t>(columns));
        for (int c = 0; c < columns; ++c) {
            switch (sqlite3_column_type(stmt.get(), c)) {
                case SQLITE_INTEGER:
                    row.emplace_back(
                        static_cast<std::int64_t>(sqlite3_column_int64(stmt.get(), c)));
                    break;
                case SQLITE_FLOAT:
                    row.emplace_back(sqlite3_column_double(stmt.get(), c));
                    break;
                case SQLITE_NULL:
                    row.emplace_back(std::monostate{});
                    break;
                default: {
                    const auto* text = sqlite3_column_text(stmt.get(), c);
                    const int bytes = sqlite3_column_bytes(stmt.get(), c);
                    row.emplace_back(std::string(reinterpret_cast<const char*>(text),
                                                 static_cast<std::size_t>(bytes)));
                }
            }
        }
        result.rows.push_back(std::move(row));
    }
    if (rc != SQLITE_DONE) {
        outcome.error = serverErrorFor(sqlite3_extended_errcode(db), sqlite3_errmsg(db));
        return outcome;
    }
    if (columns > 0) {
        assignWireTypes(result, declared);
        outcome.result = std::move(result);
    } else if (changesRows(statement.text)) {
        outcome.rowsAffected = static_cast<std::uint64_t>(sqlite3_changes64(db));
    }
    return outcome;
}

}  // namespace kelvar::standin
