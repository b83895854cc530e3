#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/database_error.h"

namespace kelvar::odbc {

// One diagnostic record of a failed ODBC call.
struct DiagnosticRecord {
    std::string sqlState;
    long nativeError = 0;
    std::string message;
};

// A failed ODBC call. The records stay readable for whoever needs the SQLSTATEs.
class OdbcError : public DatabaseError {
  public:
    OdbcError(long number, std::string description, std::vector<DiagnosticRecord> records)
        : DatabaseError(number, std::move(description)), records_(std::move(records)) {}

    [[nodiscard]] const std::vector<DiagnosticRecord>& records() const noexcept { return records_; }
    // True when any record carries this SQLSTATE.
    [[nodiscard]] bool hasState(std::string_view sqlState) const noexcept;

  private:
    std::vector<DiagnosticRecord> records_;
};

// The error for a call that returned `code`: the number is the first record's native error, the
// description the messages of all records, each once, joined by line feeds.
[[nodiscard]] OdbcError errorFrom(long code, std::vector<DiagnosticRecord> records);

}  // namespace kelvar::odbc
