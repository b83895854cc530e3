#include "platform/odbc/session.h"

#include "platform/odbc/utf16.h"

namespace kelvar::odbc {

Session::Session(const Environment& environment, std::string_view odbcConnectionString,
                 std::chrono::seconds loginTimeout)
    : handle_(ConnectionHandle::allocate(SQL_HANDLE_ENV, environment.handle().get())) {
    handle_.check(SQLSetConnectAttrW(
        handle_.get(), SQL_ATTR_LOGIN_TIMEOUT,
        reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(loginTimeout.count())), 0));
    std::u16string text = toUtf16(odbcConnectionString);
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
    connected_ = false;
    handle_.check(SQLDisconnect(handle_.get()));
}

}  // namespace kelvar::odbc
