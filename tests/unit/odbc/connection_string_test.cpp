#include "platform/odbc/connection_string.h"

#include <gtest/gtest.h>

#include "platform/database_error.h"
#include "test_support.h"

namespace kelvar::odbc {
namespace {

struct ValueCase {
    const char* label;
    const char* text;
    const char* keyword;
    const char* expected;
};

class OleDbValue : public ::testing::TestWithParam<ValueCase> {};

TEST_P(OleDbValue, ReadsTheValueOfAKeyword) {
    const ConnectionSettings settings = parseOleDbConnectionString(GetParam().text);
    EXPECT_EQ(settings.value(GetParam().keyword), std::optional<std::string>(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Rules, OleDbValue,
    ::testing::Values(
        ValueCase{"plain", "Provider=SQLOLEDB;Password=secret", "Password", "secret"},
        ValueCase{"keyword in other case", "PASSWORD=x", "password", "x"},
        ValueCase{"blanks around keyword and value", "  User ID  =  sa  ;", "User ID", "sa"},
        ValueCase{"single quotes", "Data Source='(local)'", "Data Source", "(local)"},
        ValueCase{"double quotes", "Data Source=\"srv\"", "Data Source", "srv"},
        ValueCase{"semicolon in quotes", "Password='a;b';User ID=sa", "Password", "a;b"},
        ValueCase{"doubled single quote", "Password='it''s'", "Password", "it's"},
        ValueCase{"doubled double quote", "Password=\"say \"\"hi\"\"\"", "Password", "say \"hi\""},
        ValueCase{"other quote inside single", "Password='say \"hi\"'", "Password", "say \"hi\""},
        ValueCase{"other quote inside double", "Password=\"it's\"", "Password", "it's"},
        ValueCase{"quote inside unquoted value", "Password=it's;x=1", "Password", "it's"},
        ValueCase{"blanks inside quotes kept", "Password=' 前后有空格 '", "Password",
                  " 前后有空格 "},
        ValueCase{"blanks before opening quote", "Password=   'q'  ;x=1", "Password", "q"},
        ValueCase{"Chinese unquoted", "Password=密码;", "Password", "密码"},
        ValueCase{"bars", "Password=|2|1|3;Data Source='|2'", "Password", "|2|1|3"},
        ValueCase{"bars quoted", "Password=|2|1|3;Data Source='|2'", "Data Source", "|2"},
        ValueCase{"braces are plain text", "Password={x}y", "Password", "{x}y"},
        ValueCase{"equals sign in value", "Password=a=b;", "Password", "a=b"},
        ValueCase{"doubled equals in keyword", "odd==key=v", "odd=key", "v"},
        ValueCase{"empty value", "Password=;User ID=sa", "Password", ""},
        ValueCase{"empty quoted value", "Password='';User ID=sa", "Password", ""},
        ValueCase{"last one wins", "Password=a;password=b", "PASSWORD", "b"},
        ValueCase{"empty pairs skipped", ";;Password=a;; ;", "Password", "a"},
        ValueCase{"no trailing semicolon after quote", "User ID='sa'", "User ID", "sa"}),
    [](const auto& info) { return test::testName(info.param.label); });

TEST(OleDbConnectionString, KeepsKeywordsInTheirFirstOrder) {
    const ConnectionSettings settings = parseOleDbConnectionString(
        "Provider=SQLOLEDB;Password=|1;Persist Security Info=True;User ID='sa';"
        "Initial Catalog='zrsystem';Data Source='(local)';password=again");
    const std::vector<ConnectionSettings::Entry> expected = {
        {"Provider", "SQLOLEDB"},          {"Password", "again"},
        {"Persist Security Info", "True"}, {"User ID", "sa"},
        {"Initial Catalog", "zrsystem"},   {"Data Source", "(local)"},
    };
    EXPECT_EQ(settings.entries(), expected);
}

TEST(OleDbConnectionString, GivesNothingForAnAbsentKeyword) {
    EXPECT_EQ(parseOleDbConnectionString("Password=x").value("User ID"), std::nullopt);
    EXPECT_EQ(parseOleDbConnectionString("").value("Password"), std::nullopt);
}

TEST(OleDbConnectionString, SetReplacesAKeywordInAnyCase) {
    ConnectionSettings settings = parseOleDbConnectionString("Password=x");
    settings.set("PASSWORD", "y");
    settings.set("User ID", "sa");
    EXPECT_EQ(settings.entries().size(), 2U);
    EXPECT_EQ(settings.value("password"), "y");
    EXPECT_EQ(settings.value("user id"), "sa");
}

struct SyntaxCase {
    const char* label;
    const char* text;
};

class OleDbSyntaxError : public ::testing::TestWithParam<SyntaxCase> {};

TEST_P(OleDbSyntaxError, IsRefusedWithoutRepeatingTheText) {
    const DatabaseError error =
        test::failureOf([&] { (void)parseOleDbConnectionString(GetParam().text); });
    EXPECT_EQ(error.number(), -2147217805);
    EXPECT_EQ(error.description().rfind("The connection string is not valid: ", 0), 0U)
        << error.description();
    EXPECT_EQ(error.description().find("s3cret"), std::string::npos) << error.description();
}

INSTANTIATE_TEST_SUITE_P(
    Rules, OleDbSyntaxError,
    ::testing::Values(SyntaxCase{"keyword without equals", "Provider=SQLOLEDB;s3cret"},
                      SyntaxCase{"keyword without equals at end", "s3cret;"},
                      SyntaxCase{"empty keyword", "=s3cret"},
                      SyntaxCase{"blank keyword", "  =s3cret;"},
                      SyntaxCase{"unclosed single quote", "Password='s3cret"},
                      SyntaxCase{"unclosed double quote", "Password=\"s3cret"},
                      SyntaxCase{"closing quote doubled at end", "Password='s3cret''"},
                      SyntaxCase{"text after closing quote", "Password='s3'cret;User ID=sa"}),
    [](const auto& info) { return test::testName(info.param.label); });

}  // namespace
}  // namespace kelvar::odbc
