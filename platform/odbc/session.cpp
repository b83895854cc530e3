#include "platform/odbc/session.h"

#include <limits>

#include "platform/odbc/ado_errors.h"
#include "platform/odbc/utf16.h"

namespace kelvar::odbc {

Session::Session(const Environment& environment, std::string_view odbcConnectionString,
                 std::chrono::seconds loginTimeout)
    : handle_(ConnectionHandle::allocate(SQL_HANDLE_ENV, environment.handle().get())) {
    handle_.check(SQLSetConnectAttrW(
        handle_.get(), SQL_ATTR_LOGIN_TIMEOUT,
        reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(loginTimeout.count())), 0));
    std::u16string text = toUtf16(odbcConnectionString);
    // The login takes a server name and password of any length, but the driver is handed the
    // string's length in 16 bits.
    if (text.size() > static_cast<std::size_t>(std::numeric_limits<SQLSMALLINT>::max())) {
        throw ado::unusableArgument(
            "The connection string is too long: the server name and password together must stay "
            "under 32767 characters.");
    }
    SQLSMALLINT outLength = 0;
    handle_.check(SQLDriverConnectW(handle_.get(), nullptr, wide(text),
                                    static_cast<SQLSMALLINT>(text.size()), nullptr, 0, &outLength,
                                    SQL_DRIVER_NOPROMPT));
    connected_ = true;
}

Session::~Session() {
    if (connected_) {
        SQLDisconnect(handle_.get());
    }
}

void Session::disconnect() {
    if (!connected_) {
        return;
    }
    handle_.check(SQLDisconnect(handle_.get()));
    // Only now: a failed disconnect is tried again on destruction, so the handle can still be
    // freed.
    connected_ = false;
}

}  // namespace kelvar::odbc
