#include "platform/odbc/utf16.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace kelvar::odbc {
namespace {

struct TextCase {
    const char* label;
    std::string utf8;
    std::u16string utf16;
};

class Utf16Text : public ::testing::TestWithParam<TextCase> {};

TEST_P(Utf16Text, ConvertsBothWays) {
    EXPECT_EQ(toUtf16(GetParam().utf8), GetParam().utf16);
    EXPECT_EQ(toUtf8(GetParam().utf16), GetParam().utf8);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, Utf16Text,
    ::testing::Values(TextCase{"empty", "", u""}, TextCase{"ASCII", "sa;x", u"sa;x"},
                      TextCase{"two byte", "\xC3\xA9", u"\u00E9"},
                      TextCase{"Chinese", "\xE5\xAF\x86\xE7\xA0\x81", u"\u5BC6\u7801"},
                      TextCase{"full-width colon", "\xEF\xBC\x9A", u"\uFF1A"},
                      TextCase{"outside the basic plane", "\xF0\x9F\x98\x80", u"\xD83D\xDE00"},
                      TextCase{"embedded NUL", std::string("a\0b", 3), std::u16string(u"a\0b", 3)}),
    [](const auto& info) { return test::testName(info.param.label); });

struct InvalidCase {
    const char* label;
    std::string utf8;
    std::u16string utf16;
};

class Utf16Invalid : public ::testing::TestWithParam<InvalidCase> {};

TEST_P(Utf16Invalid, ReplacesWhatIsNotValidUtf8) {
    EXPECT_EQ(toUtf16(GetParam().utf8), GetParam().utf16);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, Utf16Invalid,
    ::testing::Values(InvalidCase{"lone continuation byte", "a\x80z", u"a\uFFFDz"},
                      InvalidCase{"cut sequence at end", "a\xE5\xAF", u"a\uFFFD\uFFFD"},
                      InvalidCase{"overlong slash", "\xC0\xAF", u"\uFFFD\uFFFD"},
                      InvalidCase{"encoded surrogate", "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
                      InvalidCase{"beyond U+10FFFF", "\xF4\x90\x80\x80",
                                  u"\uFFFD\uFFFD\uFFFD\uFFFD"},
                      InvalidCase{"invalid lead byte", "\xFF", u"\uFFFD"}),
    [](const auto& info) { return test::testName(info.param.label); });

TEST(Utf16Invalid, ReplacesLoneSurrogates) {
    EXPECT_EQ(toUtf8(std::u16string(1, char16_t{0xD800}) + u"x"), "\xEF\xBF\xBDx");
    std::u16string trailing = u"x";
    trailing += char16_t{0xDC00};
    EXPECT_EQ(toUtf8(trailing), "x\xEF\xBF\xBD");
}

}  // namespace
}  // namespace kelvar::odbc
