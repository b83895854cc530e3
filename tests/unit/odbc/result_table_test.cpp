#include "platform/odbc/result_table.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "test_support.h"

namespace kelvar::odbc {
namespace {

struct DecimalCase {
    const char* label;
    const char* text;
    Value expected;
};

class WholeDecimal : public ::testing::TestWithParam<DecimalCase> {};

TEST_P(WholeDecimal, IsANumberWhenItFitsElseText) {
    EXPECT_EQ(wholeDecimalValue(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, WholeDecimal,
    ::testing::Values(DecimalCase{"small", "42", Value(42)},
                      DecimalCase{"negative", "-42", Value(-42)},
                      DecimalCase{"beyond 32 bits", "3000000000", Value(std::int64_t{3000000000})},
                      DecimalCase{"64-bit maximum", "9223372036854775807",
                                  Value(std::numeric_limits<std::int64_t>::max())},
                      DecimalCase{"64-bit minimum", "-9223372036854775808",
                                  Value(std::numeric_limits<std::int64_t>::min())},
                      DecimalCase{"beyond 64 bits", "9223372036854775808",
                                  Value("9223372036854775808")},
                      DecimalCase{"38 digits", "12345678901234567890123456789012345678",
                                  Value("12345678901234567890123456789012345678")},
                      DecimalCase{"plus sign", "+7", Value(7)}, DecimalCase{"empty", "", Value("")},
                      DecimalCase{"with fraction", "1.50", Value("1.50")}),
    [](const auto& info) { return test::testName(info.param.label); });

}  // namespace
}  // namespace kelvar::odbc
