// Logging in to the stand-in through unixODBC and the FreeTDS driver.
#include <gtest/gtest.h>

#include "odbc_client.h"
#include "standin_process.h"

namespace kelvar::standin {
namespace {

using test::OdbcClient;

TEST(StandinLogin, AcceptsSaAndEntersTheNamedDatabase) {
    StandinProcess server;
    OdbcClient client;
    const auto result = client.connect(server.connectionString("zrdata_001_2024"));
    ASSERT_TRUE(result.ok()) << result.describe();
    EXPECT_EQ(client.catalog(), "zrdata_001_2024");

    const auto logins = server.logins();
    ASSERT_EQ(logins.size(), 1u);
    EXPECT_EQ(logins[0].user, "sa");
    EXPECT_EQ(logins[0].database, "zrdata_001_2024");
    EXPECT_TRUE(logins[0].ok);
}

TEST(StandinLogin, LandsInMasterWhenNoDatabaseIsNamed) {
    StandinProcess server;
    OdbcClient client;
    ASSERT_TRUE(client.connect(server.connectionString()).ok());
    EXPECT_EQ(client.catalog(), "master");
}

TEST(StandinLogin, DatabaseNamesIgnoreCase) {
    StandinProcess server;
    OdbcClient client;
    ASSERT_TRUE(client.connect(server.connectionString("ZRDATA_001_2024")).ok());
    EXPECT_EQ(client.catalog(), "zrdata_001_2024");
}

TEST(StandinLogin, RefusesWrongPasswordOrOtherUser) {
    StandinProcess server;
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

TEST(StandinLogin, RefusesUnknownLoginDatabaseWith4060) {
    StandinProcess server;
    OdbcClient client;
    const auto result = client.connect(server.connectionString("zrdata_009_2024"));
    EXPECT_FALSE(result.ok());
    EXPECT_TRUE(result.hasNative(4060)) << result.describe();
    EXPECT_TRUE(result.hasNative(18456)) << result.describe();
}

TEST(StandinLogin, AcceptsPasswordWithSemicolonAndChineseCharacters) {
    StandinProcess server(StandinOptions().withPassword("密码;x=1"));
    OdbcClient client;
    const auto result = client.connect(server.connectionString());
    EXPECT_TRUE(result.ok()) << result.describe();
}

TEST(StandinLogin, ServesManyConnectionsAtOnce) {
    StandinProcess server;
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
