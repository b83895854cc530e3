#include "platform/odbc/environment.h"

#include <algorithm>
#include <array>

#include "platform/odbc/utf16.h"

namespace kelvar::odbc {

Environment::Environment() : handle_(EnvironmentHandle::allocate(SQL_HANDLE_ENV, nullptr)) {
    handle_.check(SQLSetEnvAttr(handle_.get(), SQL_ATTR_ODBC_VERSION,
                                reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3_80), 0));
}

std::vector<std::string> Environment::installedDrivers() const {
    std::vector<std::string> names;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    while (true) {
        std::array<char16_t, 256> name{};
        std::array<char16_t, 1024> attributes{};
        SQLSMALLINT nameLength = 0;
        SQLSMALLINT attributesLength = 0;
        const SQLRETURN code =
            SQLDriversW(handle_.get(), direction, wide(name.data()),
                        static_cast<SQLSMALLINT>(name.size()), &nameLength, wide(attributes.data()),
                        static_cast<SQLSMALLINT>(attributes.size()), &attributesLength);
        if (code == SQL_NO_DATA) {
            break;
        }
        handle_.check(code);
        const auto length = std::min(static_cast<std::size_t>(nameLength), name.size() - 1);
        names.push_back(toUtf8(std::u16string_view(name.data(), length)));
        direction = SQL_FETCH_NEXT;
    }
    return names;
}

}  // namespace kelvar::odbc
