// A statement's result as SQLite produced it, with the TDS type each column will be sent as.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace kelvar::standin {

using Value = std::variant<std::monostate, std::int64_t, double, std::string>;

enum class WireType {
    kBigInt,       // INTN, 8 bytes
    kFloat,        // FLTN, 8 bytes
    kNVarChar,     // NVARCHAR(n), n <= 4000 UTF-16 units
    kNVarCharMax,  // NVARCHAR(MAX), sent in PLP chunks
};

struct Column {
    std::string name;
    WireType type = WireType::kBigInt;
    std::uint16_t maxChars = 1;  // only for kNVarChar
};

struct ResultSet {
    std::vector<Column> columns;
    std::vector<std::vector<Value>> rows;
};

// Longest NVARCHAR(n) a column may declare before it must become NVARCHAR(MAX).
inline constexpr std::size_t kMaxNVarCharChars = 4000;

// Chooses each column's wire type from its values, since SQLite types values, not columns:
// all integers -> bigint, integers and reals -> float, any text -> nvarchar sized to the longest
// value. A column with only NULLs takes the declared affinity (`declared`, empty when unknown),
// defaulting to bigint. Values are converted in place to match the chosen type.
void assignWireTypes(ResultSet& result, const std::vector<std::string>& declared);

}  // namespace kelvar::standin
