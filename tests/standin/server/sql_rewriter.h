// Turns a T-SQL batch, as the client sends it, into statements SQLite can run. Pure text work:
// no database is consulted, so every rule here is unit-tested on strings alone.
//
// Rules, applied outside string literals and comments:
//  - a batch is split at top-level ';' (splitBatch), then each statement is rewritten on its own,
//    because a `USE` earlier in the batch changes what later names mean;
//  - `USE x` / `USE [x]` becomes a database switch, any `SET ...` a no-op;
//  - `db..t` and `db.dbo.t` become `db.t` (the database is reported so it can be attached), or
//    `main.t` when db is the current database, which SQLite knows only as `main`; a leading
//    `dbo.` is dropped;
//  - `N'...'` becomes `'...'`;
//  - in `cast(x as nchar)` (also nvarchar, char, varchar, ntext, with or without a length) the
//    type becomes `text`;
//  - `+` joining an expression in which some operand is text (a string literal or a cast to a
//    character type) becomes `||`; arithmetic `+` is left alone.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kelvar::standin {

enum class StatementKind {
    kQuery,  // run by SQLite
    kUse,    // switch the current database to `database`
    kSet,    // session option: accepted, nothing to do
};

struct Statement {
    StatementKind kind = StatementKind::kQuery;
    std::string text;      // kQuery: the SQLite text
    std::string database;  // kUse: the target, brackets removed
    // kQuery: other databases named by `db..t` or `db.dbo.t`, brackets removed, in order, each
    // once. The current database is never listed.
    std::vector<std::string> databases;

    bool operator==(const Statement&) const = default;
};

// The statements of a batch, without their ';' separators; blank statements are left out.
std::vector<std::string> splitBatch(std::string_view batch);

// `currentDatabase` compares case-insensitively, as database names do.
Statement rewriteStatement(std::string_view statement, std::string_view currentDatabase);

// SQLite (with short_column_names off) names an unaliased result column by its expression text;
// SQL Server by the column as written, without table or brackets: `a.[cMaker]` -> `cMaker`.
// Any other expression is returned unchanged.
std::string resultColumnName(std::string_view expression);

}  // namespace kelvar::standin
