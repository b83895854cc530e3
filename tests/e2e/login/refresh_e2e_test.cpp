#include <arpa/inet.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>

#include "fakes/fake_window.h"
#include "login/refresh.h"
#include "platform/database_objects.h"
#include "platform/odbc/odbc_database_access.h"
#include "standin_process.h"

namespace kelvar {
namespace {

using standin::StandinOptions;
using standin::StandinProcess;
using testing::ElementsAre;
using testing::IsEmpty;
using testing::UnorderedElementsAre;

constexpr std::string_view kAccountQuery =
    "Select distinct [name] from master..[sysdatabases], zrsystem..za_account_sub\r\n"
    "where [name] = 'zrdata_'+cacc_id+'_'+cast (iyear as nchar)";

// A loopback port that is bound but not listening, so a connection to it is refused at once.
class ClosedPort {
  public:
    ClosedPort() : socket_(::socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (socket_ < 0 ||
            ::bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            ADD_FAILURE() << "cannot reserve a loopback port";
        }
        port_ = ntohs(address.sin_port);
    }
    ~ClosedPort() {
        if (socket_ >= 0) {
            ::close(socket_);
        }
    }
    ClosedPort(const ClosedPort&) = delete;
    ClosedPort& operator=(const ClosedPort&) = delete;

    [[nodiscard]] std::uint16_t port() const { return port_; }

  private:
    int socket_;
    std::uint16_t port_ = 0;
};

std::string serverText(std::uint16_t port) {
    return "127.0.0.1," + std::to_string(port);
}

// The window's objects over the real driver, with the server box pointing at a fresh stand-in.
class RefreshE2eTest : public testing::Test {
  protected:
    void start(StandinOptions options = {}) {
        server.emplace(std::move(options));
        window.server = serverText(server->port());
        window.password = server->password();
    }

    void giveOldList() {
        window.entries = {"zrdata_009_2020"};
        window.selected = 0;
        window.databaseEdit = "zrdata_009_2020";
    }

    void press() { cmdRefresh_Click(objects, window); }

    [[nodiscard]] long acceptedLogins() const {
        const auto logins = server->logins();
        return std::count_if(logins.begin(), logins.end(), [](const auto& l) { return l.ok; });
    }

    std::optional<StandinProcess> server;
    odbc::OdbcDatabaseAccess access;
    DatabaseObjects objects{access};
    fake::FakeWindow window;
};

TEST_F(RefreshE2eTest, ListsEachExistingAccountDatabaseOnceAndEnablesUpdate) {
    start();
    press();
    EXPECT_THAT(window.messages, IsEmpty());
    EXPECT_THAT(window.entries, UnorderedElementsAre("zrdata_001_2024", "zrdata_002_2024"));
    ASSERT_FALSE(window.entries.empty());
    EXPECT_EQ(window.selected, 0);
    EXPECT_EQ(window.databaseEdit, window.entries.front());
    EXPECT_TRUE(window.updateEnabled);
    EXPECT_THAT(server->sqlTexts(), testing::Contains(std::string(kAccountQuery)));
    const auto logins = server->logins();
    ASSERT_THAT(logins, testing::SizeIs(1));
    EXPECT_EQ(logins[0].user, "sa");
    EXPECT_EQ(logins[0].database, "zrsystem");
    EXPECT_EQ(objects.con().state(), Connection::kOpen);
    EXPECT_EQ(objects.rs().state(), Recordset::kClosed);
}

TEST_F(RefreshE2eTest, WrongPasswordShowsTheServersWordsUntitled) {
    start();
    giveOldList();
    window.password = "not the password";
    press();
    ASSERT_THAT(window.messages, testing::SizeIs(1));
    EXPECT_THAT(window.messages[0].text, testing::HasSubstr("Login failed for user 'sa'."));
    EXPECT_EQ(window.messages[0].caption, std::nullopt);
    EXPECT_EQ(window.passwordFocusCount, 1);
    EXPECT_THAT(window.entries, ElementsAre("zrdata_009_2020"));
    EXPECT_FALSE(window.updateEnabled);
}

TEST_F(RefreshE2eTest, ClosedPortShowsTheDriversWords) {
    const ClosedPort closed;
    window.server = serverText(closed.port());
    window.password = "whatever";
    press();
    ASSERT_THAT(window.messages, testing::SizeIs(1));
    EXPECT_THAT(window.messages[0].text, testing::AllOf(testing::HasSubstr("[FreeTDS]"),
                                                        testing::HasSubstr("Unable to connect")));
    EXPECT_EQ(window.messages[0].caption, std::nullopt);
    EXPECT_EQ(window.passwordFocusCount, 1);
    EXPECT_FALSE(window.updateEnabled);
}

TEST_F(RefreshE2eTest, SecondRefreshLogsInAgainAndKeepsOneListing) {
    start();
    press();
    press();
    EXPECT_EQ(acceptedLogins(), 2);
    EXPECT_THAT(window.entries, UnorderedElementsAre("zrdata_001_2024", "zrdata_002_2024"));
    EXPECT_THAT(window.messages, IsEmpty());
}

TEST_F(RefreshE2eTest, MissingAccountTableKeepsTheListSilently) {
    StandinOptions options;
    options.extraSql = {{"zrsystem", "DROP TABLE za_account_sub;"}};
    start(std::move(options));
    giveOldList();
    press();
    EXPECT_THAT(window.messages, IsEmpty());
    EXPECT_THAT(window.entries, ElementsAre("zrdata_009_2020"));
    EXPECT_EQ(window.databaseEdit, "zrdata_009_2020");
    EXPECT_FALSE(window.updateEnabled);
    EXPECT_EQ(acceptedLogins(), 1);
}

class TrickyPassword : public RefreshE2eTest, public testing::WithParamInterface<std::string> {};

TEST_P(TrickyPassword, LogsInThroughTheWholeRefresh) {
    StandinOptions options;
    options.password = GetParam();
    start(std::move(options));
    press();
    EXPECT_THAT(window.messages, IsEmpty());
    EXPECT_THAT(window.entries, UnorderedElementsAre("zrdata_001_2024", "zrdata_002_2024"));
    EXPECT_TRUE(window.updateEnabled);
    EXPECT_EQ(acceptedLogins(), 1);
}

INSTANTIATE_TEST_SUITE_P(Passwords, TrickyPassword,
                         testing::Values("a;b", "it's", "say \"hi\"", "x}y", "|2|1|3",
                                         " 前后有空格 ", "密码"));

}  // namespace
}  // namespace kelvar
