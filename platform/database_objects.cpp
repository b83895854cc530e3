#include "database_objects.h"

namespace kelvar {

DatabaseObjects::DatabaseObjects(DatabaseAccess& access)
    : access_(access), con_(access.createConnection()), rs_(access.createRecordset()) {}

Recordset& DatabaseObjects::renewRecordset() {
    auto fresh = access_.createRecordset();
    rs_ = std::move(fresh);
    return *rs_;
}

void DatabaseObjects::release() noexcept {
    con_.reset();
    rs_.reset();
}

}  // namespace kelvar
