#include "voucher_type_table.h"

namespace kelvar {
namespace {

constexpr VoucherTypeTable kTable{{
    {"rdrecord", "rdrecords", "id", "autoid", "rd", "收发记录主子表"},
    {"SaleBillVouch", "SaleBillVouchs", "SBVID", "autoid", "BILLVOUCH", "销售发票"},
    {"DispatchList", "DispatchLists", "DLID", "autoid", "DISPATCH", "发货单"},
    {"PO_Pomain", "PO_Podetails", "POID", "ID", "POMain", "采购订单"},
    {"SO_SOMain", "SO_SODetails", "id", "autoid", "SOMain", "销售订单"},
    {"PurBillVouch", "PurBillVouchs", "PBVID", "ID", "PURBILL", "采购发票"},
    {"PurSettleVouch", "PurSettleVouchs", "PSVID", "ID", "PURSTID", "采购结算单"},
    {"SA_SettleVouch", "SA_SettleVouchs", "id", "autoid", "SETTLEVOUCH", "委托代销结算单"},
    {"ExpenseVouch", "ExpenseVouchs", "id", "autoid", "EXPENSE", "代垫费用单"},
    {"CheckVouch", "CheckVouchs", "id", "autoid", "ch", "盘点单"},
    {"JustInVouch", "JustInVouchs", "id", "autoid", "ju", "出入库调整单"},
    {"MatchVouch", "MatchVouchs", "id", "autoid", "ma", "限额领料单"},
    {"PU_AppVouch", "PU_AppVouchs", "id", "autoid", "PUAPP", "采购请购单"},
    {"PU_ArrivalVouch", "PU_ArrivalVouchs", "id", "autoid", "PUARRIVAL", "采购到货单"},
    {"SA_QuoMain", "SA_QuoDetails", "id", "autoid", "QUOMAIN", "销售报价单"},
    {"SalePayVouch", "SalePayVouchs", "id", "autoid", "SALEPAY", "销售支出单"},
    {"TransVouch", "TransVouchs", "id", "autoid", "tr", "库存调拨单"},
    {"Ap_CloseBill", "Ap_CloseBill", "", "", "XJ", "现结线索"},
}};

}  // namespace

const VoucherTypeTable& voucherTypeTable() {
    return kTable;
}

std::string helpItem(std::size_t row) {
    std::string item = std::to_string(row + 1);
    item += '.';
    item += kTable.at(row).kindName;
    return item;
}

}  // namespace kelvar
