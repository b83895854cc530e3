// The OLE DB login string, built with any password and data source quoted, for tests that need a
// connection string the way the login writes one.
#pragma once

#include <string>
#include <string_view>

namespace kelvar::golden {

// An OLE DB value in single quotes, any single quote inside doubled.
inline std::string oleDbQuoted(std::string_view value) {
    std::string quoted = "'";
    for (const char c : value) {
        quoted += c;
        if (c == '\'') {
            quoted += '\'';
        }
    }
    return quoted + "'";
}

// The login's string for sa on zrsystem at a data source such as "(local)" or "127.0.0.1,1433".
inline std::string oleDbLogin(std::string_view dataSource, std::string_view password) {
    return "Provider=SQLOLEDB;Password=" + oleDbQuoted(password) +
           ";Persist Security Info=True;User ID='sa';Initial Catalog='zrsystem';Data Source=" +
           oleDbQuoted(dataSource);
}

}  // namespace kelvar::golden
