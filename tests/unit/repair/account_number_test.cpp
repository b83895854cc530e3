#include "repair/account_number.h"

#include <gtest/gtest.h>

#include <ostream>

#include <optional>
#include <string>

namespace kelvar {
namespace {

struct NameCase {
    const char* label;
    const char* databaseName;
    std::optional<AccountNumber> expected;
};

void PrintTo(const NameCase& c, std::ostream* os) {
    *os << c.label;
}

class AccountNumberFromName : public ::testing::TestWithParam<NameCase> {};

TEST_P(AccountNumberFromName, ReadsCharactersEightToTen) {
    EXPECT_EQ(accountNumberFrom(GetParam().databaseName), GetParam().expected)
        << "name: \"" << GetParam().databaseName << "\"";
}

INSTANTIATE_TEST_SUITE_P(
    Names, AccountNumberFromName,
    ::testing::Values(NameCase{"LeadingZerosDropped", "zrdata_001_2004", 1},
                      NameCase{"ThreeDigits", "zrdata_999_2024", 999},
                      NameCase{"AllZeros", "zrdata_000_2024", 0},
                      NameCase{"Negative", "zrdata_-12_2024", -12},
                      NameCase{"BlanksAroundDropped", "zrdata_ 7 _2024", 7},
                      NameCase{"TabBeforeDropped", "zrdata_\t42_2024", 42},
                      NameCase{"YearNotRead", "zrdata_002_abcd", 2},
                      NameCase{"NameEndingInsideTheId", "zrdata_12", 12},
                      NameCase{"NonAsciiPrefixCountsByCharacter", "账套data_005_2024", 5},
                      NameCase{"Empty", "", std::nullopt},
                      NameCase{"PrefixOnly", "zrdata_", std::nullopt},
                      NameCase{"Letters", "zrdata_abc_2004", std::nullopt},
                      NameCase{"ShortIdRunsIntoTheYear", "zrdata_1_2004", std::nullopt},
                      NameCase{"OnlyBlanks", "zrdata_   _2004", std::nullopt},
                      NameCase{"LoneMinus", "zrdata_ - _2004", std::nullopt},
                      NameCase{"PlusSign", "zrdata_+12_2004", std::nullopt},
                      NameCase{"InnerBlank", "zrdata_1 2_2004", std::nullopt},
                      NameCase{"FullWidthDigits", "zrdata_００１_2004", std::nullopt},
                      NameCase{"SystemDatabase", "zrsystem", std::nullopt}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace kelvar
