#include "repair/repair_sql.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace kelvar {
namespace {

// The four texts of one kind for account 1 ("zrdata_001_2004") with maxima 120 and 5000.
struct KindTexts {
    std::size_t row;
    const char* vouchType;
    const char* maximum;
    const char* lookup;
    const char* update;
    const char* insert;
};

void PrintTo(const KindTexts& c, std::ostream* os) {
    *os << "row " << c.row;
}

class RepairSqlTexts : public ::testing::TestWithParam<KindTexts> {};

TEST_P(RepairSqlTexts, AreThePiecesJoinedWithNamesCaseKeptAndBareNumbers) {
    const KindTexts& c = GetParam();
    EXPECT_EQ(maximumQuery(c.row), c.maximum);
    EXPECT_EQ(lookupText(1, c.vouchType), c.lookup);
    EXPECT_EQ(updateText(1, c.vouchType, {120, 5000}), c.update);
    EXPECT_EQ(insertText(1, c.vouchType, {120, 5000}), c.insert);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RepairSqlTexts,
    ::testing::Values(
        KindTexts{
            0, "rd",
            "select max(a.id) as idf,max(b.autoid) as idc from rdrecord as a,rdrecords as b",
            "select cvouchtype from zrsystem..za_identity where cAcc_id=1 and cvouchtype='rd'",
            "update zrsystem..za_identity set ifatherid=120,iChildId=5000 where cAcc_id=1 and "
            "cvouchtype='rd'",
            "insert into zrsystem..za_identity(cAcc_Id,cVouchType,iFatherId,iChildId)"
            "values(1,'rd',120,5000)"},
        KindTexts{
            3, "POMain",
            "select max(a.POID) as idf,max(b.ID) as idc from PO_Pomain as a,PO_Podetails as b",
            "select cvouchtype from zrsystem..za_identity where cAcc_id=1 and cvouchtype='POMain'",
            "update zrsystem..za_identity set ifatherid=120,iChildId=5000 where cAcc_id=1 and "
            "cvouchtype='POMain'",
            "insert into zrsystem..za_identity(cAcc_Id,cVouchType,iFatherId,iChildId)"
            "values(1,'POMain',120,5000)"},
        KindTexts{
            9, "ch",
            "select max(a.id) as idf,max(b.autoid) as idc from CheckVouch as a,CheckVouchs as b",
            "select cvouchtype from zrsystem..za_identity where cAcc_id=1 and cvouchtype='ch'",
            "update zrsystem..za_identity set ifatherid=120,iChildId=5000 where cAcc_id=1 and "
            "cvouchtype='ch'",
            "insert into zrsystem..za_identity(cAcc_Id,cVouchType,iFatherId,iChildId)"
            "values(1,'ch',120,5000)"},
        KindTexts{
            17, "XJ",
            "select sum(idf) as idf,sum(idc) as idc from (select max(cCancelNo) as idf,0 as idc "
            "from Ap_CloseBill union all select 0 as idf,count(cCancelNo) as idc from "
            "Ap_CloseBill where cCancelNo is not null) as aa",
            "select cvouchtype from zrsystem..za_identity where cAcc_id=1 and cvouchtype='XJ'",
            "update zrsystem..za_identity set ifatherid=120,iChildId=5000 where cAcc_id=1 and "
            "cvouchtype='XJ'",
            "insert into zrsystem..za_identity(cAcc_Id,cVouchType,iFatherId,iChildId)"
            "values(1,'XJ',120,5000)"}),
    [](const auto& info) { return "Row" + std::to_string(info.param.row); });

TEST(RepairSql, NumbersArePlainDecimalWithMinusSignBeyondSixteenBits) {
    EXPECT_EQ(updateText(-12, "tr", {3000000000, -40000}),
              "update zrsystem..za_identity set ifatherid=3000000000,iChildId=-40000 where "
              "cAcc_id=-12 and cvouchtype='tr'");
    EXPECT_EQ(insertText(999, "tr", {9223372036854775807, 0}),
              "insert into zrsystem..za_identity(cAcc_Id,cVouchType,iFatherId,iChildId)"
              "values(999,'tr',9223372036854775807,0)");
}

}  // namespace
}  // namespace kelvar
