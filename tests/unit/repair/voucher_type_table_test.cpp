#include "repair/voucher_type_table.h"

#include <gtest/gtest.h>

#include <ostream>

#include <string>

namespace kelvar {
namespace {

struct KindRow {
    std::size_t row;
    const char* mainTable;
    const char* detailTable;
    const char* mainKey;
    const char* detailKey;
    const char* vouchType;
    const char* kindName;
};

void PrintTo(const KindRow& c, std::ostream* os) {
    *os << "row " << c.row;
}

class VoucherTypeTableRow : public ::testing::TestWithParam<KindRow> {};

TEST_P(VoucherTypeTableRow, HoldsTheKindExactlyAsWrittenCaseIncluded) {
    const KindRow& expected = GetParam();
    const VoucherTypeEntry& entry = voucherTypeTable().at(expected.row);
    EXPECT_EQ(entry.mainTable, expected.mainTable);
    EXPECT_EQ(entry.detailTable, expected.detailTable);
    EXPECT_EQ(entry.mainKey, expected.mainKey);
    EXPECT_EQ(entry.detailKey, expected.detailKey);
    EXPECT_EQ(entry.vouchType, expected.vouchType);
    EXPECT_EQ(entry.kindName, expected.kindName);
}

INSTANTIATE_TEST_SUITE_P(
    AllKinds, VoucherTypeTableRow,
    ::testing::Values(
        KindRow{0, "rdrecord", "rdrecords", "id", "autoid", "rd", "收发记录主子表"},
        KindRow{1, "SaleBillVouch", "SaleBillVouchs", "SBVID", "autoid", "BILLVOUCH", "销售发票"},
        KindRow{2, "DispatchList", "DispatchLists", "DLID", "autoid", "DISPATCH", "发货单"},
        KindRow{3, "PO_Pomain", "PO_Podetails", "POID", "ID", "POMain", "采购订单"},
        KindRow{4, "SO_SOMain", "SO_SODetails", "id", "autoid", "SOMain", "销售订单"},
        KindRow{5, "PurBillVouch", "PurBillVouchs", "PBVID", "ID", "PURBILL", "采购发票"},
        KindRow{6, "PurSettleVouch", "PurSettleVouchs", "PSVID", "ID", "PURSTID", "采购结算单"},
        KindRow{7, "SA_SettleVouch", "SA_SettleVouchs", "id", "autoid", "SETTLEVOUCH",
                "委托代销结算单"},
        KindRow{8, "ExpenseVouch", "ExpenseVouchs", "id", "autoid", "EXPENSE", "代垫费用单"},
        KindRow{9, "CheckVouch", "CheckVouchs", "id", "autoid", "ch", "盘点单"},
        KindRow{10, "JustInVouch", "JustInVouchs", "id", "autoid", "ju", "出入库调整单"},
        KindRow{11, "MatchVouch", "MatchVouchs", "id", "autoid", "ma", "限额领料单"},
        KindRow{12, "PU_AppVouch", "PU_AppVouchs", "id", "autoid", "PUAPP", "采购请购单"},
        KindRow{13, "PU_ArrivalVouch", "PU_ArrivalVouchs", "id", "autoid", "PUARRIVAL",
                "采购到货单"},
        KindRow{14, "SA_QuoMain", "SA_QuoDetails", "id", "autoid", "QUOMAIN", "销售报价单"},
        KindRow{15, "SalePayVouch", "SalePayVouchs", "id", "autoid", "SALEPAY", "销售支出单"},
        KindRow{16, "TransVouch", "TransVouchs", "id", "autoid", "tr", "库存调拨单"},
        KindRow{17, "Ap_CloseBill", "Ap_CloseBill", "", "", "XJ", "现结线索"}),
    [](const auto& info) { return "Row" + std::to_string(info.param.row); });

TEST(VoucherTypeTable, HasExactlyEighteenRows) {
    EXPECT_EQ(voucherTypeTable().size(), 18u);
}

TEST(VoucherTypeTable, HelpItemsCountFromOneWithoutPadding) {
    EXPECT_EQ(helpItem(0), "1.收发记录主子表");
    EXPECT_EQ(helpItem(3), "4.采购订单");
    EXPECT_EQ(helpItem(17), "18.现结线索");
}

}  // namespace
}  // namespace kelvar
