#include "platform/odbc/driver_connection_string.h"

#include <gtest/gtest.h>

#include "ole_db_login.h"
#include "platform/database_error.h"
#include "test_support.h"

namespace kelvar::odbc {
namespace {

// The login's string with a server and a password put in, quoted the OLE DB way.
std::string loginString(std::string_view dataSource, std::string_view password = "secret") {
    return golden::oleDbLogin(dataSource, password);
}

std::string mapped(const std::string& oleDb, std::string_view driver) {
    return buildDriverConnectionString(parseOleDbConnectionString(oleDb), driver);
}

struct ServerCase {
    const char* label;
    const char* dataSource;
    const char* serverPart;  // what follows "Driver={FreeTDS};" up to "UID="
};

class FreeTdsServer : public ::testing::TestWithParam<ServerCase> {};

TEST_P(FreeTdsServer, MapsTheDataSource) {
    EXPECT_EQ(mapped(loginString(GetParam().dataSource), "FreeTDS"),
              std::string("Driver={FreeTDS};") + GetParam().serverPart +
                  "UID=sa;PWD=secret;Database=zrsystem;TDS_Version=7.4;ClientCharset=UTF-8;"
                  "Encryption=request;");
}

INSTANTIATE_TEST_SUITE_P(
    Rules, FreeTdsServer,
    ::testing::Values(
        ServerCase{"local in parentheses", "(local)", "Server=127.0.0.1;Port=1433;"},
        ServerCase{"local in capitals", "(LOCAL)", "Server=127.0.0.1;Port=1433;"},
        ServerCase{"dot", ".", "Server=127.0.0.1;Port=1433;"},
        ServerCase{"localhost", "LocalHost", "Server=127.0.0.1;Port=1433;"},
        ServerCase{"empty", "", "Server=127.0.0.1;Port=1433;"},
        ServerCase{"host name", "db.example.com", "Server=db.example.com;Port=1433;"},
        ServerCase{"blanks around host", "  db1  ", "Server=db1;Port=1433;"},
        ServerCase{"host and port", "10.0.0.5,14330", "Server=10.0.0.5;Port=14330;"},
        ServerCase{"blanks around port", "db1 , 2000 ", "Server=db1;Port=2000;"},
        ServerCase{"local with port", "(local),2000", "Server=127.0.0.1;Port=2000;"},
        ServerCase{"tcp prefix", "tcp:db1,1500", "Server=db1;Port=1500;"},
        ServerCase{"named instance", "db1\\SQLEXPRESS", "Server=db1\\SQLEXPRESS;"},
        ServerCase{"local named instance", "(local)\\SQLEXPRESS", "Server=127.0.0.1\\SQLEXPRESS;"},
        ServerCase{"instance and port", "db1\\SQL2,1500", "Server=db1\\SQL2;Port=1500;"},
        ServerCase{"Chinese host", "服务器", "Server=服务器;Port=1433;"}),
    [](const auto& info) { return test::testName(info.param.label); });

struct PasswordCase {
    const char* label;
    const char* password;
    const char* pwdPair;
};

class FreeTdsPassword : public ::testing::TestWithParam<PasswordCase> {};

TEST_P(FreeTdsPassword, BracesOnlyWhatNeedsIt) {
    EXPECT_EQ(mapped(loginString("db1", GetParam().password), "FreeTDS"),
              std::string("Driver={FreeTDS};Server=db1;Port=1433;UID=sa;") + GetParam().pwdPair +
                  "Database=zrsystem;TDS_Version=7.4;ClientCharset=UTF-8;Encryption=request;");
}

INSTANTIATE_TEST_SUITE_P(
    Rules, FreeTdsPassword,
    ::testing::Values(PasswordCase{"plain", "secret", "PWD=secret;"},
                      PasswordCase{"empty", "", "PWD=;"},
                      PasswordCase{"semicolon", "a;b", "PWD={a;b};"},
                      PasswordCase{"single quote", "it's", "PWD=it's;"},
                      PasswordCase{"double quotes", "say \"hi\"", "PWD=say \"hi\";"},
                      PasswordCase{"closing brace alone", "x}y", "PWD=x}y;"},
                      PasswordCase{"opening brace first", "{x", "PWD={{x};"},
                      PasswordCase{"equals sign", "a=b", "PWD=a=b;"},
                      PasswordCase{"bars", "|2|1|3", "PWD=|2|1|3;"},
                      PasswordCase{"blanks at both ends", " 前后有空格 ", "PWD={ 前后有空格 };"},
                      PasswordCase{"Chinese", "密码", "PWD=密码;"}),
    [](const auto& info) { return test::testName(info.param.label); });

class FreeTdsRefusal : public ::testing::TestWithParam<PasswordCase> {};

TEST_P(FreeTdsRefusal, RefusesAValueItCannotTakeAndDoesNotShowIt) {
    EXPECT_EQ(test::failureOf([&] {
                  (void)mapped(loginString("db1", GetParam().password), "FreeTDS");
              }).description(),
              "The FreeTDS driver cannot take this Password: it holds '}' together with ';', "
              "a leading '{' or blanks at either end.");
}

INSTANTIATE_TEST_SUITE_P(Rules, FreeTdsRefusal,
                         ::testing::Values(PasswordCase{"brace and semicolon", "a}b;c", ""},
                                           PasswordCase{"closing sequence", "x};y", ""},
                                           PasswordCase{"braced", "{x}", ""},
                                           PasswordCase{"brace and blank", " x}", ""}),
                         [](const auto& info) { return test::testName(info.param.label); });

class MicrosoftDriver : public ::testing::TestWithParam<PasswordCase> {};

TEST_P(MicrosoftDriver, BracesAndDoublesClosingBraces) {
    EXPECT_EQ(mapped(loginString("(local)", GetParam().password), "ODBC Driver 18 for SQL Server"),
              std::string("Driver={ODBC Driver 18 for SQL Server};Server=(local);UID=sa;") +
                  GetParam().pwdPair + "Database=zrsystem;Encrypt=no;TrustServerCertificate=yes;");
}

INSTANTIATE_TEST_SUITE_P(
    Rules, MicrosoftDriver,
    ::testing::Values(PasswordCase{"plain", "secret", "PWD=secret;"},
                      PasswordCase{"semicolon", "a;b", "PWD={a;b};"},
                      PasswordCase{"closing brace", "x}y", "PWD={x}}y};"},
                      PasswordCase{"brace and semicolon", "a}b;c", "PWD={a}}b;c};"},
                      PasswordCase{"opening brace", "{x", "PWD={{x};"},
                      PasswordCase{"blanks at both ends", " 前后有空格 ", "PWD={ 前后有空格 };"},
                      PasswordCase{"bars", "|2|1|3", "PWD=|2|1|3;"}),
    [](const auto& info) { return test::testName(info.param.label); });

TEST(MicrosoftDriver, PassesTheDataSourceOnWithOuterBlanksTrimmed) {
    EXPECT_EQ(mapped(loginString(" db1\\SQL2,1500 "), "ODBC Driver 17 for SQL Server"),
              "Driver={ODBC Driver 17 for SQL Server};Server=db1\\SQL2,1500;UID=sa;PWD=secret;"
              "Database=zrsystem;Encrypt=no;TrustServerCertificate=yes;");
}

TEST(DriverConnectionString, LeavesOutKeywordsThatAreAbsent) {
    EXPECT_EQ(mapped("provider=sqloledb;Data Source=db1", "FreeTDS"),
              "Driver={FreeTDS};Server=db1;Port=1433;TDS_Version=7.4;ClientCharset=UTF-8;"
              "Encryption=request;");
}

struct RefusalCase {
    const char* label;
    std::string oleDb;
    const char* description;
};

class DriverConnectionRefusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(DriverConnectionRefusal, SaysWhatIsWrong) {
    EXPECT_EQ(test::failureOf([&] { (void)mapped(GetParam().oleDb, "FreeTDS"); }).description(),
              GetParam().description);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, DriverConnectionRefusal,
    ::testing::Values(
        RefusalCase{"other provider", "Provider=MSDASQL;Data Source=x",
                    "The connection string names the provider 'MSDASQL'; only SQLOLEDB is "
                    "supported."},
        RefusalCase{"no provider", "Data Source=x",
                    "The connection string names no provider; only SQLOLEDB is supported."},
        RefusalCase{"port not a number", "Provider=SQLOLEDB;Data Source=db1,abc",
                    "The server name ends in a port that is not a number from 1 to 65535."},
        RefusalCase{"port zero", "Provider=SQLOLEDB;Data Source=db1,0",
                    "The server name ends in a port that is not a number from 1 to 65535."},
        RefusalCase{"port too large", "Provider=SQLOLEDB;Data Source=db1,65536",
                    "The server name ends in a port that is not a number from 1 to 65535."},
        RefusalCase{"port missing after comma", "Provider=SQLOLEDB;Data Source=db1,",
                    "The server name ends in a port that is not a number from 1 to 65535."},
        RefusalCase{"NUL in password", std::string("Provider=SQLOLEDB;Password=a\0b", 30),
                    "The Password holds a NUL character, which no driver can take."}),
    [](const auto& info) { return test::testName(info.param.label); });

struct ChoiceCase {
    const char* label;
    std::vector<std::string> installed;
    const char* chosen;
};

class DriverChoice : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(DriverChoice, TakesTheBestInstalledDriver) {
    EXPECT_EQ(chooseDriver(GetParam().installed), GetParam().chosen);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, DriverChoice,
    ::testing::Values(ChoiceCase{"only FreeTDS", {"PostgreSQL", "FreeTDS"}, "FreeTDS"},
                      ChoiceCase{"18 before 17",
                                 {"ODBC Driver 17 for SQL Server", "ODBC Driver 18 for SQL Server"},
                                 "ODBC Driver 18 for SQL Server"},
                      ChoiceCase{"17 before FreeTDS",
                                 {"FreeTDS", "ODBC Driver 17 for SQL Server"},
                                 "ODBC Driver 17 for SQL Server"},
                      ChoiceCase{
                          "FreeTDS before the old driver", {"SQL Server", "FreeTDS"}, "FreeTDS"},
                      ChoiceCase{"old driver last", {"SQL Server", "Oracle"}, "SQL Server"},
                      ChoiceCase{"name in other case", {"freetds"}, "FreeTDS"}),
    [](const auto& info) { return test::testName(info.param.label); });

TEST(DriverChoice, NamesTheDriversLookedForWhenNoneIsInstalled) {
    EXPECT_EQ(test::failureOf([&] {
                  (void)chooseDriver({"PostgreSQL", "SQLite3"});
              }).description(),
              "No ODBC driver for SQL Server is installed. Looked for: ODBC Driver 18 for SQL "
              "Server, ODBC Driver 17 for SQL Server, FreeTDS, SQL Server.");
}

}  // namespace
}  // namespace kelvar::odbc
