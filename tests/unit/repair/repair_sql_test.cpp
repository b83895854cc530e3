#include "repair/repair_sql.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <string_view>

#include "golden_texts.h"

namespace kelvar {
namespace {

// One kind's maximum query; its lookup, update and insert for account 1 ("zrdata_001_2024") with
// maxima 120 and 5000 are the golden texts too.
struct KindTexts {
    std::size_t row;
    const char* vouchType;
    std::string_view maximum;
};

void PrintTo(const KindTexts& c, std::ostream* os) {
    *os << "row " << c.row;
}

class RepairSqlTexts : public ::testing::TestWithParam<KindTexts> {};

TEST_P(RepairSqlTexts, AreThePiecesJoinedWithNamesCaseKeptAndBareNumbers) {
    const KindTexts& c = GetParam();
    EXPECT_EQ(maximumQuery(c.row), c.maximum);
    EXPECT_EQ(lookupText(1, c.vouchType), golden::lookupSql(1, c.vouchType));
    EXPECT_EQ(counterText(1, c.vouchType), golden::counterSql(1, c.vouchType));
    EXPECT_EQ(updateText(1, c.vouchType, {120, 5000}),
              golden::updateSql(1, c.vouchType, 120, 5000));
    EXPECT_EQ(insertText(1, c.vouchType, {120, 5000}),
              golden::insertSql(1, c.vouchType, 120, 5000));
}

INSTANTIATE_TEST_SUITE_P(Rows, RepairSqlTexts,
                         ::testing::Values(KindTexts{0, "rd", golden::kMaximumQueryRd},
                                           KindTexts{3, "POMain", golden::kMaximumQueryPOMain},
                                           KindTexts{6, "PURSTID", golden::kMaximumQueryPurSettle},
                                           KindTexts{7, "SETTLEVOUCH",
                                                     golden::kMaximumQuerySaSettle},
                                           KindTexts{9, "ch", golden::kMaximumQueryCh},
                                           KindTexts{17, "XJ", golden::kMaximumQueryXJ}),
                         [](const auto& info) { return "Row" + std::to_string(info.param.row); });

// The whole texts once more, spelled out, with numbers that are negative or need more than 32 bits.
TEST(RepairSql, NumbersArePlainDecimalWithMinusSignBeyondSixteenBits) {
    EXPECT_EQ(lookupText(-12, "tr"),
              "select cvouchtype from zrsystem..za_identity where cAcc_id=-12 and cvouchtype='tr'");
    EXPECT_EQ(counterText(-12, "tr"),
              "select iFatherId,iChildId from zrsystem..za_identity where cAcc_id=-12 and "
              "cvouchtype='tr'");
    EXPECT_EQ(updateText(-12, "tr", {3000000000, -40000}),
              "update zrsystem..za_identity set ifatherid=3000000000,iChildId=-40000 where "
              "cAcc_id=-12 and cvouchtype='tr'");
    EXPECT_EQ(insertText(999, "tr", {9223372036854775807, 0}),
              "insert into zrsystem..za_identity(cAcc_Id,cVouchType,iFatherId,iChildId)"
              "values(999,'tr',9223372036854775807,0)");
}

}  // namespace
}  // namespace kelvar
