#include "platform/odbc/odbc_connection.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "standin_fixture.h"

namespace kelvar::odbc::test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

// Reads the first column of the first row of a query.
Value scalar(OdbcDatabaseAccess& access, Connection& con, std::string_view sql,
             std::string_view column) {
    auto rs = access.createRecordset();
    rs->open(sql, con);
    return rs->field(column);
}

class OdbcLogin : public StandinTest {};

TEST_F(OdbcLogin, OpensAsSaOnTheCatalogNamed) {
    const auto con = access_.createConnection();
    EXPECT_EQ(con->state(), Connection::kClosed);
    con->open(login());
    EXPECT_EQ(con->state(), Connection::kOpen);
    const auto logins = server_.logins();
    ASSERT_EQ(logins.size(), 1U);
    EXPECT_EQ(logins[0].user, "sa");
    EXPECT_TRUE(logins[0].ok);
    EXPECT_EQ(logins[0].database, "zrsystem");
}

TEST_F(OdbcLogin, WrongPasswordGivesTheServersWordsAndLeavesItReusable) {
    const auto con = access_.createConnection();
    const DatabaseError error =
        failureOf([&] { con->open(standin::oleDbLogin(server_.port(), "not the password")); });
    EXPECT_EQ(error.number(), 18456);
    EXPECT_THAT(error.description(), HasSubstr("Login failed for user 'sa'."));
    EXPECT_THAT(error.description(), Not(HasSubstr("not the password")));
    EXPECT_EQ(con->state(), Connection::kClosed);

    con->open(login());
    EXPECT_EQ(con->state(), Connection::kOpen);
}

TEST_F(OdbcLogin, NothingListeningGivesTheDriversWords) {
    const standin::ClosedPort closed;
    const auto con = access_.createConnection();
    const DatabaseError error =
        failureOf([&] { con->open(standin::oleDbLogin(closed.port(), "x")); });
    EXPECT_EQ(error.number(), 20009);
    EXPECT_THAT(error.description(),
                HasSubstr("Unable to connect: Adaptive Server is unavailable or does not exist"));
    EXPECT_EQ(con->state(), Connection::kClosed);
}

TEST_F(OdbcLogin, OverLongPasswordIsRefusedBeforeTheServerAndLeavesItReusable) {
    const std::string password(40000, 'x');
    const auto con = access_.createConnection();
    const DatabaseError error =
        failureOf([&] { con->open(standin::oleDbLogin(server_.port(), password)); });
    EXPECT_EQ(error.number(), 3001);
    EXPECT_THAT(error.description(), HasSubstr("too long"));
    EXPECT_THAT(error.description(), Not(HasSubstr("xxxx")));
    EXPECT_EQ(con->state(), Connection::kClosed);
    EXPECT_TRUE(server_.logins().empty());

    con->open(login());
    EXPECT_EQ(con->state(), Connection::kOpen);
}

TEST_F(OdbcLogin, ReconnectsAfterClose) {
    const auto con = openConnection();
    con->close();
    EXPECT_EQ(con->state(), Connection::kClosed);
    con->open(login());
    EXPECT_EQ(con->state(), Connection::kOpen);
    EXPECT_EQ(scalar(access_, *con, "select count(*) as n from za_identity", "n"), Value(6));
    EXPECT_EQ(server_.logins().size(), 2U);
}

TEST_F(OdbcLogin, OpeningAnOpenConnectionFailsAndKeepsIt) {
    const auto con = openConnection();
    EXPECT_EQ(failureOf([&] { con->open(login()); }).number(), 3705);
    EXPECT_EQ(con->state(), Connection::kOpen);
    EXPECT_EQ(scalar(access_, *con, "select count(*) as n from za_identity", "n"), Value(6));
}

TEST_F(OdbcLogin, ConnectionsOfOneComponentAreIndependent) {
    const auto first = openConnection();
    const auto second = openConnection();
    first->close();
    EXPECT_EQ(second->state(), Connection::kOpen);
    EXPECT_EQ(scalar(access_, *second, "select count(*) as n from za_identity", "n"), Value(6));
}

// Each password that needs quoting somewhere on its way, carried inside the TLS the stand-in
// uses by default for the login.
class OdbcPassword : public ::testing::TestWithParam<const char*> {};

TEST_P(OdbcPassword, LogsInWithTheLoginInsideTls) {
    standin::StandinProcess server(
        standin::StandinOptions().withPassword(GetParam()).withEncryption("login"));
    OdbcDatabaseAccess access;
    const auto con = access.createConnection();
    con->open(server.oleDbLogin());
    EXPECT_EQ(con->state(), Connection::kOpen);
    ASSERT_EQ(server.logins().size(), 1U);
    EXPECT_TRUE(server.logins()[0].ok);
    EXPECT_EQ(server.logins()[0].encryption, "login");
}

INSTANTIATE_TEST_SUITE_P(Passwords, OdbcPassword, ::testing::ValuesIn(standin::kTrickyPasswords));

class OdbcDefaultDatabase : public StandinTest {};

TEST_F(OdbcDefaultDatabase, UnprefixedNamesThenReferToIt) {
    const auto con = openConnection();
    con->setDefaultDatabase("zrdata_001_2024");
    EXPECT_EQ(scalar(access_, *con, "select count(*) as n from rdrecord", "n"), Value(12));
    EXPECT_EQ(scalar(access_, *con, "select count(*) as n from zrsystem..za_identity", "n"),
              Value(6));
}

TEST_F(OdbcDefaultDatabase, MissingDatabaseGivesTheServersWordsAndKeepsTheOldOne) {
    const auto con = openConnection();
    const DatabaseError error = failureOf([&] { con->setDefaultDatabase("zrdata_009_2024"); });
    EXPECT_THAT(error.description(), HasSubstr("Database 'zrdata_009_2024' does not exist."));
    EXPECT_EQ(con->state(), Connection::kOpen);
    EXPECT_EQ(scalar(access_, *con, "select count(*) as n from za_identity", "n"), Value(6));
}

class OdbcExecute : public StandinTest {};

TEST_F(OdbcExecute, RunsEveryStatementOfABatch) {
    const auto con = openConnection();
    con->execute(
        "update za_identity set iFatherId = 7 where cAcc_Id = 2;"
        "insert into za_identity (cAcc_Id, cVouchType, iFatherId, iChildId) values (3, 'XJ', 1, "
        "1)");
    EXPECT_EQ(
        scalar(access_, *con, "select iFatherId from za_identity where cAcc_Id = 2", "iFatherId"),
        Value(7));
    EXPECT_EQ(scalar(access_, *con, "select count(*) as n from za_identity where cAcc_Id = 3", "n"),
              Value(1));
}

TEST_F(OdbcExecute, AnUpdateThatTouchesNoRowSucceeds) {
    const auto con = openConnection();
    con->execute("update za_identity set iFatherId = 7 where cAcc_Id = 99");
    EXPECT_EQ(scalar(access_, *con, "select count(*) as n from za_identity", "n"), Value(6));
}

TEST_F(OdbcExecute, DropsReturnedRowsAndLeavesTheConnectionIdle) {
    const auto con = openConnection();
    con->execute("select * from za_identity; select * from za_account_sub");
    EXPECT_EQ(scalar(access_, *con, "select count(*) as n from za_account_sub", "n"), Value(4));
}

TEST_F(OdbcExecute, AFailingStatementGivesTheServersWordsAndTheConnectionGoesOn) {
    const auto con = openConnection();
    const DatabaseError error = failureOf([&] { con->execute("update nosuch set x = 1"); });
    EXPECT_EQ(error.number(), 208);
    EXPECT_THAT(error.description(), HasSubstr("Invalid object name 'nosuch'."));
    EXPECT_EQ(scalar(access_, *con, "select count(*) as n from za_identity", "n"), Value(6));
}

TEST_F(OdbcExecute, AFailureLaterInABatchIsReported) {
    const auto con = openConnection();
    const DatabaseError error = failureOf([&] {
        con->execute(
            "update za_identity set iFatherId = 7 where cAcc_Id = 2; select * from nosuch");
    });
    EXPECT_THAT(error.description(), HasSubstr("Invalid object name 'nosuch'."));
}

TEST_F(OdbcExecute, SendsTheTextUnchanged) {
    const auto con = openConnection();
    const std::string text =
        "update za_identity set iChildId = 3 where cVouchType = N'演示' and cAcc_Id = 1";
    con->execute(text);
    const auto texts = server_.sqlTexts();
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.back(), text);
}

// Every answer takes 2.5 s; the connection allows 1 s of silence.
class OdbcStatementTimeout : public StandinTest {
  protected:
    OdbcStatementTimeout()
        : StandinTest(standin::StandinOptions().withLatencyMs(2500),
                      Timeouts{std::chrono::seconds{15}, std::chrono::seconds{1}}) {}
};

TEST_F(OdbcStatementTimeout, TimesOutAndTheNextStatementOnTheConnectionWorks) {
    const auto con = openConnection();
    const DatabaseError error =
        failureOf([&] { con->execute("update za_identity set iFatherId = 1 where cAcc_Id = 2"); });
    EXPECT_THAT(error.description(), HasSubstr("Timeout expired"));
    EXPECT_EQ(con->state(), Connection::kOpen);

    dynamic_cast<OdbcConnection&>(*con).setCommandTimeout(std::chrono::seconds{0});
    EXPECT_EQ(scalar(access_, *con, "select count(*) as n from za_identity", "n"), Value(6));
}

}  // namespace
}  // namespace kelvar::odbc::test
