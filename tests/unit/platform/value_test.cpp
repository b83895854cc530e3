#include "platform/value.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>

namespace kelvar {
namespace {

struct WholeNumberCase {
    const char* label;
    Value value;
    std::optional<std::int64_t> expected;
};

class ValueWholeNumber : public ::testing::TestWithParam<WholeNumberCase> {};

TEST_P(ValueWholeNumber, ConvertsOnlyWholeNumbers) {
    EXPECT_EQ(GetParam().value.toWholeNumber(), GetParam().expected) << GetParam().label;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ValueWholeNumber,
    ::testing::Values(
        WholeNumberCase{"null", Value{}, std::nullopt},
        WholeNumberCase{"integer", Value(std::int64_t{40000}), 40000},
        WholeNumberCase{"beyond 32 bits", Value(std::int64_t{3000000000}), 3000000000},
        WholeNumberCase{"negative integer", Value(-7), -7},
        WholeNumberCase{"double without fraction", Value(120.0), 120},
        WholeNumberCase{"double with fraction", Value(12.5), std::nullopt},
        WholeNumberCase{"double beyond 64 bits", Value(1e19), std::nullopt},
        WholeNumberCase{"double at -2^63", Value(-9223372036854775808.0),
                        std::numeric_limits<std::int64_t>::min()},
        WholeNumberCase{"infinite double", Value(std::numeric_limits<double>::infinity()),
                        std::nullopt},
        WholeNumberCase{"text digits", Value("123"), 123},
        WholeNumberCase{"text with zero fraction", Value("123.00"), 123},
        WholeNumberCase{"text with blanks around", Value("  5000 "), 5000},
        WholeNumberCase{"text with sign", Value("-12"), -12},
        WholeNumberCase{"text with plus sign", Value("+12"), 12},
        WholeNumberCase{"text with fraction", Value("12.5"), std::nullopt},
        WholeNumberCase{"text not a number", Value("abc"), std::nullopt},
        WholeNumberCase{"text with trailing letters", Value("12abc"), std::nullopt},
        WholeNumberCase{"empty text", Value(""), std::nullopt},
        WholeNumberCase{"lone sign", Value("-"), std::nullopt},
        WholeNumberCase{"lone point", Value("."), std::nullopt},
        WholeNumberCase{"inner blank", Value("1 2"), std::nullopt},
        WholeNumberCase{"text beyond 64 bits", Value("9223372036854775808"), std::nullopt},
        WholeNumberCase{"text at 64-bit limit", Value("9223372036854775807"),
                        std::numeric_limits<std::int64_t>::max()}),
    [](const auto& info) {
        std::string name = info.param.label;
        for (auto& c : name) {
            if (!std::isalnum(static_cast<unsigned char>(c))) {
                c = '_';
            }
        }
        return name;
    });

TEST(ValueText, WritesNumbersInDecimalAndNullAsEmpty) {
    EXPECT_EQ(Value{}.toText(), "");
    EXPECT_EQ(Value(std::int64_t{-32768}).toText(), "-32768");
    EXPECT_EQ(Value(2.5).toText(), "2.5");
    EXPECT_EQ(Value("zrdata_001_2024").toText(), "zrdata_001_2024");
}

TEST(ValueText, KeepsChineseTextUnchanged) {
    EXPECT_EQ(Value("收发记录主子表").toText(), "收发记录主子表");
}

TEST(ValueNull, OnlyTheDefaultValueIsNull) {
    EXPECT_TRUE(Value{}.isNull());
    EXPECT_FALSE(Value(0).isNull());
    EXPECT_FALSE(Value("").isNull());
}

}  // namespace
}  // namespace kelvar
