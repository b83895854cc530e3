#include "platform/odbc/diagnostics.h"

#include <algorithm>
#include <array>

#include "platform/odbc/utf16.h"

namespace kelvar::odbc {

std::vector<DiagnosticRecord> readDiagnostics(SQLSMALLINT handleType, SQLHANDLE handle) {
    std::vector<DiagnosticRecord> records;
    if (handle == nullptr) {
        return records;
    }
    for (SQLSMALLINT number = 1;; ++number) {
        std::array<char16_t, 6> state{};
        SQLINTEGER nativeError = 0;
        std::u16string message(512, u'\0');
        SQLSMALLINT length = 0;
        SQLRETURN code =
            SQLGetDiagRecW(handleType, handle, number, wide(state.data()), &nativeError,
                           wide(message), static_cast<SQLSMALLINT>(message.size()), &length);
        if (succeeded(code) && length >= static_cast<SQLSMALLINT>(message.size())) {
            // Too long for the buffer: ask again with room for all of it.
            message.assign(static_cast<std::size_t>(length) + 1, u'\0');
            code = SQLGetDiagRecW(handleType, handle, number, wide(state.data()), &nativeError,
                                  wide(message), static_cast<SQLSMALLINT>(message.size()), &length);
        }
        if (!succeeded(code)) {
            break;  // SQL_NO_DATA after the last record
        }
        message.resize(std::min(static_cast<std::size_t>(length), message.size() - 1));
        records.push_back({toUtf8(std::u16string_view(state.data(), 5)),
                           static_cast<long>(nativeError), toUtf8(message)});
    }
    return records;
}

void throwDiagnostics(SQLRETURN code, SQLSMALLINT handleType, SQLHANDLE handle) {
    throw errorFrom(code, readDiagnostics(handleType, handle));
}

}  // namespace kelvar::odbc
