#pragma once

#include <utility>

#include "platform/odbc/diagnostics.h"
#include "platform/odbc/odbc_api.h"

namespace kelvar::odbc {

// Owns one ODBC handle of one type and frees it when it goes. Move-only. Whoever holds a child
// handle must make sure the parent outlives it.
template <SQLSMALLINT Type>
class Handle {
  public:
    Handle() = default;
    ~Handle() { reset(); }

    Handle(Handle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    Handle& operator=(Handle&& other) noexcept {
        if (this != &other) {
            reset();
            handle_ = std::exchange(other.handle_, nullptr);
        }
        return *this;
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    // A new handle under `parent` (nullptr for an environment). Throws DatabaseError with
    // the parent's diagnostics.
    [[nodiscard]] static Handle allocate(SQLSMALLINT parentType, SQLHANDLE parent) {
        Handle owned;
        const SQLRETURN code = SQLAllocHandle(Type, parent, &owned.handle_);
        if (!succeeded(code)) {
            owned.handle_ = nullptr;
            throwDiagnostics(code, parentType, parent);
        }
        return owned;
    }

    [[nodiscard]] SQLHANDLE get() const noexcept { return handle_; }

    // Throws DatabaseError with this handle's diagnostics unless the code is a success.
    void check(SQLRETURN code) const {
        if (!succeeded(code)) {
            throwDiagnostics(code, Type, handle_);
        }
    }

    void reset() noexcept {
        if (handle_ != nullptr) {
            SQLFreeHandle(Type, handle_);
            handle_ = nullptr;
        }
    }

  private:
    SQLHANDLE handle_ = nullptr;
};

using EnvironmentHandle = Handle<SQL_HANDLE_ENV>;
using ConnectionHandle = Handle<SQL_HANDLE_DBC>;
using StatementHandle = Handle<SQL_HANDLE_STMT>;

}  // namespace kelvar::odbc
