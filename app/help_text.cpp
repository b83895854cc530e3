#include "app/help_text.h"

#include <cstddef>

#include "repair/voucher_type_table.h"

namespace kelvar {

std::string helpText() {
    std::string text;
    for (std::size_t row = 0; row < kVoucherTypeCount; ++row) {
        text += helpItem(row);
        text += '\n';
    }
    text += "\n联系人：tavik";
    return text;
}

}  // namespace kelvar
