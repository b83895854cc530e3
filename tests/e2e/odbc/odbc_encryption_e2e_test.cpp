// Kelvar's ODBC layer against each encryption mode of the stand-in: its Encryption=request works
// with a server without a certificate, one that encrypts the login and one that forces TLS.
#include <gtest/gtest.h>

#include <string>

#include "platform/database.h"
#include "platform/odbc/odbc_database_access.h"
#include "standin_process.h"

namespace kelvar::odbc::test {
namespace {

struct ModeCase {
    const char* mode;
    const char* settled;  // what the stand-in logs for the login
};

void PrintTo(const ModeCase& row, std::ostream* out) {
    *out << row.mode;
}

class OdbcEncryption : public ::testing::TestWithParam<ModeCase> {};

TEST_P(OdbcEncryption, LogsInAndRunsAStatement) {
    const standin::StandinProcess server(standin::StandinOptions().withEncryption(GetParam().mode));
    OdbcDatabaseAccess access;
    const auto con = access.createConnection();
    con->open(server.oleDbLogin());
    auto rs = access.createRecordset();
    rs->open("select count(*) as n from za_identity", *con);
    EXPECT_EQ(rs->field("n"), Value(6));

    const auto logins = server.logins();
    ASSERT_EQ(logins.size(), 1U);
    EXPECT_TRUE(logins[0].ok);
    EXPECT_EQ(logins[0].encryption, GetParam().settled);
}

INSTANTIATE_TEST_SUITE_P(Modes, OdbcEncryption,
                         ::testing::Values(ModeCase{"off", "none"}, ModeCase{"login", "login"},
                                           ModeCase{"force", "session"}),
                         [](const auto& info) { return std::string(info.param.mode); });

}  // namespace
}  // namespace kelvar::odbc::test
