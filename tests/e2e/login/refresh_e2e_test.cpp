#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>

#include "fakes/fake_window.h"
#include "golden_texts.h"
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

using golden::kAccountListQuery;

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
    EXPECT_THAT(server->sqlTexts(), testing::Contains(std::string(kAccountListQuery)));
    const auto logins = server->logins();
    ASSERT_THAT(logins, testing::SizeIs(1));
    EXPECT_EQ(logins[0].user, "sa");
    EXPECT_EQ(logins[0].database, "zrsystem");
    EXPECT_EQ(objects.con().state(), Connection::kOpen);
    EXPECT_EQ(objects.rs().state(), Recordset::kClosed);
}

TEST_F(RefreshE2eTest, WrongPasswordShowsTheServersWordsUntitled) {
    start();
    window.giveOldList();
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
    const standin::ClosedPort closed;
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
    window.giveOldList();
    press();
    EXPECT_THAT(window.messages, IsEmpty());
    EXPECT_THAT(window.entries, ElementsAre("zrdata_009_2020"));
    EXPECT_EQ(window.databaseEdit, "zrdata_009_2020");
    EXPECT_FALSE(window.updateEnabled);
    EXPECT_EQ(acceptedLogins(), 1);
}

class TrickyPassword : public RefreshE2eTest, public testing::WithParamInterface<const char*> {};

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

INSTANTIATE_TEST_SUITE_P(Passwords, TrickyPassword, testing::ValuesIn(standin::kTrickyPasswords));

}  // namespace
}  // namespace kelvar
