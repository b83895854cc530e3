#include "repair_sql.h"

#include "repair/voucher_type_table.h"

namespace kelvar {
namespace {

// The cash settlement records have no key columns: the largest cancel number and the count of
// cancelled bills stand in for the two maxima, and neither is ever null.
constexpr std::string_view kCashSettlementQuery =
    "select sum(idf) as idf,sum(idc) as idc from (select max(cCancelNo) as idf,0 as idc from "
    "Ap_CloseBill union all select 0 as idf,count(cCancelNo) as idc from Ap_CloseBill where "
    "cCancelNo is not null) as aa";

// Plain decimal: a minus sign when negative, no blanks, no leading zeros, no quotes.
std::string number(std::int64_t value) {
    return std::to_string(value);
}

std::string joined(std::initializer_list<std::string_view> pieces) {
    std::string text;
    for (const auto piece : pieces) {
        text += piece;
    }
    return text;
}

}  // namespace

std::optional<Maxima> wholeMaxima(const Value& father, const Value& child) {
    const auto fatherId = father.toWholeNumber();
    const auto childId = child.toWholeNumber();
    if (!fatherId || !childId) {
        return std::nullopt;
    }
    return Maxima{*fatherId, *childId};
}

std::string maximumQuery(std::size_t row) {
    if (row == kCashSettlementRow) {
        return std::string(kCashSettlementQuery);
    }
    const VoucherTypeEntry& kind = voucherTypeTable().at(row);
    return joined({"select max(a.", kind.mainKey, ") as idf,max(b.", kind.detailKey,
                   ") as idc from ", kind.mainTable, " as a,", kind.detailTable, " as b"});
}

namespace {

// The one counter row of an account and a kind: the lookup, the check's read and the update
// all name it with the same words.
std::string whereCounter(AccountNumber account, std::string_view vouchType) {
    return joined({" where cAcc_id=", number(account), " and cvouchtype='", vouchType, "'"});
}

}  // namespace

std::string lookupText(AccountNumber account, std::string_view vouchType) {
    return "select cvouchtype from zrsystem..za_identity" + whereCounter(account, vouchType);
}

std::string counterText(AccountNumber account, std::string_view vouchType) {
    return "select iFatherId,iChildId from zrsystem..za_identity" +
           whereCounter(account, vouchType);
}

std::string updateText(AccountNumber account, std::string_view vouchType, Maxima maxima) {
    return joined({"update zrsystem..za_identity set ifatherid=", number(maxima.fatherId),
                   ",iChildId=", number(maxima.childId)}) +
           whereCounter(account, vouchType);
}

std::string insertText(AccountNumber account, std::string_view vouchType, Maxima maxima) {
    return joined(
        {"insert into zrsystem..za_identity(cAcc_Id,cVouchType,iFatherId,iChildId)values(",
         number(account), ",'", vouchType, "',", number(maxima.fatherId), ",",
         number(maxima.childId), ")"});
}

}  // namespace kelvar
