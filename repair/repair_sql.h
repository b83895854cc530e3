#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/value.h"
#include "repair/account_number.h"

namespace kelvar {

// The two maxima of one kind, as written into its counter row.
struct Maxima {
    std::int64_t fatherId = 0;
    std::int64_t childId = 0;
    friend bool operator==(const Maxima&, const Maxima&) = default;
};

// Both maxima as whole numbers, or nothing: a half-read pair must never reach a counter row.
[[nodiscard]] std::optional<Maxima> wholeMaxima(const Value& father, const Value& child);

// The query whose one row holds the kind's largest father id "idf" and child id "idc".
[[nodiscard]] std::string maximumQuery(std::size_t row);

// Finds the kind's counter row in zrsystem..za_identity; only whether a row comes back matters.
[[nodiscard]] std::string lookupText(AccountNumber account, std::string_view vouchType);

// Reads the kind's counter row without changing it: its "iFatherId" and "iChildId", or no row.
[[nodiscard]] std::string counterText(AccountNumber account, std::string_view vouchType);

// Sets the counters of an existing row.
[[nodiscard]] std::string updateText(AccountNumber account, std::string_view vouchType,
                                     Maxima maxima);

// Adds the missing counter row.
[[nodiscard]] std::string insertText(AccountNumber account, std::string_view vouchType,
                                     Maxima maxima);

}  // namespace kelvar
