#include "platform/odbc/odbc_error.h"

#include <algorithm>

namespace kelvar::odbc {

bool OdbcError::hasState(std::string_view sqlState) const noexcept {
    return std::any_of(records_.begin(), records_.end(),
                       [sqlState](const DiagnosticRecord& r) { return r.sqlState == sqlState; });
}

OdbcError errorFrom(long code, std::vector<DiagnosticRecord> records) {
    if (records.empty()) {
        return {
            code,
            "The ODBC call failed (return code " + std::to_string(code) + ") without saying why.",
            {}};
    }
    std::vector<std::string> seen;
    std::string description;
    for (const DiagnosticRecord& record : records) {
        if (std::find(seen.begin(), seen.end(), record.message) != seen.end()) {
            continue;
        }
        seen.push_back(record.message);
        description += description.empty() ? "" : "\n";
        description += record.message;
    }
    const long number = records.front().nativeError;
    return {number, std::move(description), std::move(records)};
}

}  // namespace kelvar::odbc
