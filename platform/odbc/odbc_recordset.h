#pragma once

#include <cstddef>
#include <optional>

#include "platform/database.h"
#include "platform/odbc/result_table.h"

namespace kelvar::odbc {

// RS over ODBC. It reads all rows when it opens and holds no statement afterwards, so the
// connection stays free for other statements while it is open.
class OdbcRecordset final : public Recordset {
  public:
    // Needs an open OdbcConnection; any other connection is refused with DatabaseError. A query
    // that returns no rows at all leaves the recordset closed.
    void open(std::string_view sql, Connection& connection) override;
    [[nodiscard]] int state() override;
    [[nodiscard]] bool eof() override;
    [[nodiscard]] Value field(std::string_view name) override;
    void moveNext() override;
    void close() override;

  private:
    const ResultTable& requireOpen() const;

    std::optional<ResultTable> table_;
    std::size_t row_ = 0;
};

}  // namespace kelvar::odbc
