#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace kelvar {

// One kind of document: where its ids live in an account database and the code of its counter row
// in zrsystem..za_identity. Values go into SQL exactly as written, letter case included.
struct VoucherTypeEntry {
    std::string_view mainTable;
    std::string_view detailTable;
    std::string_view mainKey;
    std::string_view detailKey;
    std::string_view vouchType;
    // The name under which the help message lists the kind.
    std::string_view kindName;
};

inline constexpr std::size_t kVoucherTypeCount = 18;

// Row 17 takes its maxima from a fixed aggregate over Ap_CloseBill, so it has no key columns.
inline constexpr std::size_t kCashSettlementRow = 17;

using VoucherTypeTable = std::array<VoucherTypeEntry, kVoucherTypeCount>;

// The 18 kinds, in the order the repair run visits them and the help message lists them.
[[nodiscard]] const VoucherTypeTable& voucherTypeTable();

// The kind's item in the help list: its number counted from 1, a full stop and its name
// ("4.采购订单").
[[nodiscard]] std::string helpItem(std::size_t row);

}  // namespace kelvar
