#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace kelvar {

// The account id of an account database, as za_identity keys its counter rows.
using AccountNumber = std::int16_t;

// Cuts the account number from an account database name "zrdata_<id>_<year>": characters 8 to 10,
// blanks around them dropped, read as an optional minus sign and decimal digits. A name without
// such a number there gives nothing.
[[nodiscard]] std::optional<AccountNumber> accountNumberFrom(std::string_view databaseName);

}  // namespace kelvar
