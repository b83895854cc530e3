#pragma once

// Reading an OLE DB connection string ("Provider=SQLOLEDB;Password=...;Data Source='...'").
//
//   ConnectionSettings settings = parseOleDbConnectionString(text);   // throws DatabaseError
//   std::optional<std::string> password = settings.value("password"); // any letter case
//
// The rules, as OLE DB reads such a string:
// - Pairs `keyword=value` separated by `;`. Empty pairs (";;", a trailing ";") are skipped.
// - Keywords match regardless of ASCII letter case; blanks around a keyword are dropped, blanks
//   inside it are kept ("Data Source"). `==` inside a keyword stands for one `=`.
// - An unquoted value runs up to the next `;`; blanks around it are dropped. It may hold quote
//   characters anywhere but at its start.
// - A value that starts with `"` or `'` (after blanks) runs to the matching closing quote; the
//   same quote doubled inside stands for itself, the other quote is plain text, and `;` and blanks
//   are kept. Only blanks may follow the closing quote before the next `;`.
// - When a keyword appears more than once, the last value wins.
// A string that breaks these rules (no `=`, an empty keyword, an unclosed quote, text after a
// closing quote) throws DatabaseError with a plain description; the description never quotes the
// string, which may hold a password.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kelvar::odbc {

// The keyword/value pairs of one connection string, in their first order of appearance.
class ConnectionSettings {
  public:
    struct Entry {
        std::string keyword;  // as written, blanks around it dropped, `==` undone
        std::string value;    // quotes removed and undoubled
        friend bool operator==(const Entry&, const Entry&) = default;
    };

    // The value of a keyword, matched regardless of letter case; nothing when it is absent.
    [[nodiscard]] std::optional<std::string> value(std::string_view keyword) const;

    // Sets a keyword; a keyword already present (in any letter case) gets the new value.
    void set(std::string_view keyword, std::string value);

    [[nodiscard]] const std::vector<Entry>& entries() const noexcept { return entries_; }

  private:
    // The position of a keyword in any letter case; the number of entries when it is absent.
    [[nodiscard]] std::size_t indexOf(std::string_view keyword) const;

    std::vector<Entry> entries_;
};

// Parses a connection string by the rules above. Throws DatabaseError on a syntax error.
[[nodiscard]] ConnectionSettings parseOleDbConnectionString(std::string_view text);

}  // namespace kelvar::odbc
