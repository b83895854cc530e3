#include "login/connection_template.h"

#include <gtest/gtest.h>

#include <array>
#include <ostream>
#include <random>
#include <string>
#include <string_view>

#include "golden_texts.h"
#include "platform/database_error.h"
#include "platform/odbc/connection_string.h"

namespace kelvar {
namespace {

TEST(ConnectionTemplate, IsTheSaLoginWithThreePlaceholders) {
    EXPECT_EQ(ConnectionTemplate,
              "Provider=SQLOLEDB;Password=|1;Persist Security Info=True;User ID='sa';Initial "
              "Catalog='|3';Data Source='|2'");
    EXPECT_EQ(ConnectionTemplate.size(), 107u);
}

TEST(FillConnectionTemplate, LocalServerAndEmptyPasswordGiveTheClassicString) {
    EXPECT_EQ(fillConnectionTemplate("", "(local)"), golden::kLocalLogin);
}

// One row: what was typed, and how the password and the server must stand in the string.
struct FillCase {
    std::string_view label;
    std::string_view password;
    std::string_view server;
    std::string_view passwordWritten;
    std::string_view serverWritten;
};

void PrintTo(const FillCase& row, std::ostream* out) {
    *out << row.label;
}

std::string expectedString(const FillCase& row) {
    return "Provider=SQLOLEDB;Password=" + std::string(row.passwordWritten) +
           ";Persist Security Info=True;User ID='sa';Initial Catalog='zrsystem';Data Source='" +
           std::string(row.serverWritten) + "'";
}

class FillConnectionTemplateCase : public testing::TestWithParam<FillCase> {};

TEST_P(FillConnectionTemplateCase, PutsEachTypedTextInOnceQuotedOnlyWhereNeeded) {
    const FillCase& row = GetParam();
    EXPECT_EQ(fillConnectionTemplate(row.password, row.server), expectedString(row));
}

const FillCase kFillCases[] = {
    {"PlainPassword", "Secret42", "ERP-SRV\\OSTRA", "Secret42", "ERP-SRV\\OSTRA"},
    {"ServerPlaceholderInPasswordStays", "ab|2cd", "srv", "ab|2cd", "srv"},
    {"AllPlaceholdersInPasswordStay", "|2|1|3", "srv", "|2|1|3", "srv"},
    {"CatalogPlaceholderInServerStays", "pw", "host|3", "pw", "host|3"},
    {"AllPlaceholdersInServerStay", "pw", "|1|2|3", "pw", "|1|2|3"},
    {"SemicolonQuotesPassword", "a;b", "srv", "\"a;b\"", "srv"},
    {"SemicolonSettingInPasswordStaysInside", "x;Data Source=evil", "srv", "\"x;Data Source=evil\"",
     "srv"},
    {"SingleQuoteQuotesPassword", "it's", "srv", "\"it's\"", "srv"},
    {"DoubleQuotesAreDoubledInside", "say \"hi\"", "srv", "\"say \"\"hi\"\"\"", "srv"},
    {"LeadingBlankQuotesPassword", " lead", "srv", "\" lead\"", "srv"},
    {"TrailingBlankQuotesPassword", "trail ", "srv", "\"trail \"", "srv"},
    {"TabAtEndQuotesPassword", "tab\t", "srv", "\"tab\t\"", "srv"},
    {"InnerBlankStaysBare", "two words", "srv", "two words", "srv"},
    {"LeadingEqualsQuotesPassword", "=x", "srv", "\"=x\"", "srv"},
    {"InnerEqualsStaysBare", "a=b==c", "srv", "a=b==c", "srv"},
    {"BracesStayBare", "x}y{", "srv", "x}y{", "srv"},
    {"ChinesePasswordStaysBare", "密码", "srv", "密码", "srv"},
    {"ChineseWithBlanksIsQuoted", " 前后有空格 ", "srv", "\" 前后有空格 \"", "srv"},
    {"QuoteInServerIsDoubled", "pw", "O'Brien", "pw", "O''Brien"},
    {"BlanksAroundServerKept", "pw", "  (local) ", "pw", "  (local) "},
    {"ServerWithPortAndSemicolon", "pw", "127.0.0.1,1433;x", "pw", "127.0.0.1,1433;x"},
    {"ChineseServer", "pw", "服务器", "pw", "服务器"},
};

INSTANTIATE_TEST_SUITE_P(Rows, FillConnectionTemplateCase, testing::ValuesIn(kFillCases),
                         [](const testing::TestParamInfo<FillCase>& info) {
                             return std::string(info.param.label);
                         });

// Builds texts from pieces that matter to the OLE DB syntax, so every quoting rule is exercised in
// many combinations; the seed is fixed so a failure repeats.
class TypedTextGenerator {
  public:
    std::string next() {
        static constexpr std::array<std::string_view, 23> kPieces = {
            ";",  "'",  "\"", "=",    "==", "{", "}", "|",  "|1", "|2",   "|3",           " ",
            "\t", "\v", "\f", "\r\n", "a",  "Z", "9", "密", "码", "前后", "Data Source=x"};
        std::uniform_int_distribution<std::size_t> length(0, 8);
        std::uniform_int_distribution<std::size_t> piece(0, kPieces.size() - 1);
        std::string text;
        for (std::size_t n = length(random_); n > 0; --n) {
            text += kPieces[piece(random_)];
        }
        return text;
    }

  private:
    std::mt19937 random_{20240531};
};

TEST(FillConnectionTemplate, ParsesBackToExactlyWhatWasTyped) {
    TypedTextGenerator generator;
    for (int i = 0; i < 5000; ++i) {
        const std::string password = generator.next();
        const std::string server = generator.next();
        SCOPED_TRACE("case " + std::to_string(i));
        odbc::ConnectionSettings settings;
        ASSERT_NO_THROW(
            settings = odbc::parseOleDbConnectionString(fillConnectionTemplate(password, server)));
        EXPECT_EQ(settings.value("Password"), password);
        EXPECT_EQ(settings.value("Data Source"), server);
        EXPECT_EQ(settings.value("Initial Catalog"), "zrsystem");
        EXPECT_EQ(settings.value("User ID"), "sa");
        EXPECT_EQ(settings.value("Provider"), "SQLOLEDB");
        EXPECT_EQ(settings.entries().size(), 6u) << "typed text added or removed a setting";
        if (testing::Test::HasFailure()) {
            break;  // one counterexample is enough to read
        }
    }
}

}  // namespace
}  // namespace kelvar
