// Logging in to the stand-in through unixODBC and the FreeTDS driver.
#include <gtest/gtest.h>

#include "odbc_client.h"
#include "odbc_fixture.h"
#include "standin_process.h"

namespace kelvar::standin {
namespace {

using test::OdbcClient;
using StandinLogin = test::StandinConnection;

TEST_F(StandinLogin, AcceptsSaAndEntersTheNamedDatabase) {
    ASSERT_TRUE(connect("zrdata_001_2024"));
    EXPECT_EQ(client.catalog(), "zrdata_001_2024");

    const auto logins = server->logins();
    ASSERT_EQ(logins.size(), 1u);
    EXPECT_EQ(logins[0].user, "sa");
    EXPECT_EQ(logins[0].database, "zrdata_001_2024");
    EXPECT_TRUE(logins[0].ok);
}

TEST_F(StandinLogin, LandsInMasterWhenNoDatabaseIsNamed) {
    ASSERT_TRUE(connect());
    EXPECT_EQ(client.catalog(), "master");
}

TEST_F(StandinLogin, DatabaseNamesIgnoreCase) {
    ASSERT_TRUE(connect("ZRDATA_001_2024"));
    EXPECT_EQ(client.catalog(), "zrdata_001_2024");
}

TEST_F(StandinLogin, RefusesWrongPasswordOrOtherUser) {
    const StandinProcess& server = start();
    const std::string wrongPassword =
        freetdsConnectionString(server.port(), "not-the-password", "");
    std::string otherUser = server.connectionString();
    otherUser.replace(otherUser.find("UID=sa"), 6, "UID=bob");

    for (const auto& cs : {wrongPassword, otherUser}) {
        OdbcClient client;
        const auto result = client.connect(cs);
        EXPECT_FALSE(result.ok()) << cs;
        EXPECT_TRUE(result.hasNative(18456)) << result.describe();
    }
    const auto logins = server.logins();
    ASSERT_EQ(logins.size(), 2u);
    EXPECT_FALSE(logins[0].ok);
    EXPECT_EQ(logins[1].user, "bob");
    EXPECT_FALSE(logins[1].ok);
    for (const auto& line : server.logLines()) {
        EXPECT_EQ(line.find("not-the-password"), std::string::npos) << line;
        EXPECT_EQ(line.find(server.password()), std::string::npos) << line;
    }
}

TEST_F(StandinLogin, RefusesUnknownLoginDatabaseWith4060) {
    EXPECT_FALSE(connect("zrdata_009_2024"));
    EXPECT_TRUE(login.hasNative(4060)) << login.describe();
    EXPECT_TRUE(login.hasNative(18456)) << login.describe();
}

TEST_F(StandinLogin, AcceptsPasswordWithSemicolonAndChineseCharacters) {
    start(StandinOptions().withPassword("密码;x=1"));
    EXPECT_TRUE(connect());
}

TEST_F(StandinLogin, ServesManyConnectionsAtOnce) {
    const StandinProcess& server = start();
    std::vector<std::unique_ptr<OdbcClient>> clients;
    for (int i = 0; i < 8; ++i) {
        clients.push_back(std::make_unique<OdbcClient>());
        ASSERT_TRUE(clients.back()->connect(server.connectionString("zrsystem")).ok());
    }
    for (auto& client : clients) {
        test::Rows rows;
        ASSERT_TRUE(client->execute("select count(*) as n from za_identity", &rows).ok());
        EXPECT_EQ(rows.values.at(0).at(0), test::Cell{std::int64_t{6}});
    }
}

}  // namespace
}  // namespace kelvar::standin
