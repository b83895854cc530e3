#include "login/refresh.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "fakes/fake_database.h"
#include "fakes/fake_window.h"
#include "golden_texts.h"
#include "platform/database_objects.h"

namespace kelvar {
namespace {

using fake::Op;
using testing::ElementsAre;
using testing::IsEmpty;

using golden::kAccountListQuery;
using golden::kLocalLogin;

const DatabaseError kLoginFailed{18456, "[FreeTDS][SQL Server]Login failed for user 'sa'."};
const DatabaseError kBroken{-1, "[FreeTDS][SQL Server]Communication link failure"};

class RefreshTest : public testing::Test {
  protected:
    static fake::ResultSet namesResult(const std::vector<std::string>& names) {
        fake::ResultSet result{{"name"}, {}};
        for (const auto& name : names) {
            result.rows.push_back({Value(name)});
        }
        return result;
    }

    void answerNames(const std::vector<std::string>& names) {
        database.answer(std::string(kAccountListQuery), namesResult(names));
    }

    // One press after another reads the next list; the account query is the only text answered.
    void answerInTurn(std::vector<std::vector<std::string>> lists) {
        database.setAnswerer([lists = std::move(lists), next = std::size_t{0}](
                                 std::string_view sql) mutable -> std::optional<fake::ResultSet> {
            if (sql != kAccountListQuery || next >= lists.size()) {
                return std::nullopt;
            }
            return namesResult(lists[next++]);
        });
    }

    // Fails only the nth call (counted from 1) of one kind of operation.
    void failNth(Op op, int nth, DatabaseError error = kBroken) {
        database.failWhen([op, nth, error, seen = 0](
                              const fake::Call& call) mutable -> std::optional<DatabaseError> {
            if (call.op == op && ++seen == nth) {
                return error;
            }
            return std::nullopt;
        });
    }

    // The connection and recordset calls in order, as "CON.State" / "RS1.Open ...".
    std::vector<std::string> callTexts() const {
        auto texts = database.trace();
        std::erase_if(texts, [](const std::string& text) { return text.starts_with("DB."); });
        return texts;
    }

    void press() { cmdRefresh_Click(objects, window); }

    fake::FakeDatabase database;
    DatabaseObjects objects{database};
    fake::FakeWindow window;
};

TEST_F(RefreshTest, LogsInOnTheSystemCatalogAndListsEveryAccountDatabase) {
    answerNames({"zrdata_001_2024", "zrdata_002_2024"});
    press();
    EXPECT_THAT(callTexts(),
                ElementsAre("CON.State", "CON.Open " + std::string(kLocalLogin), "CON.State",
                            "RS1.Open " + std::string(kAccountListQuery), "RS1.State", "RS1.EOF",
                            "RS1.Field name", "RS1.MoveNext", "RS1.EOF", "RS1.Field name",
                            "RS1.MoveNext", "RS1.EOF", "RS1.Close"));
    EXPECT_THAT(window.calls,
                ElementsAre("PasswordText", "ServerText", "Clear", "Add zrdata_001_2024",
                            "Add zrdata_002_2024", "Count", "Select 0", "EnableUpdate"));
    EXPECT_EQ(window.databaseEdit, "zrdata_001_2024");
    EXPECT_TRUE(window.updateEnabled);
    EXPECT_EQ(database.connectionState(), Connection::kOpen);
}

TEST_F(RefreshTest, SendsTheTypedTextsQuoted) {
    window.password = "a;b";
    window.server = "O'Brien";
    press();
    EXPECT_EQ(database.lastConnectionString(),
              "Provider=SQLOLEDB;Password=\"a;b\";Persist Security Info=True;User ID='sa';"
              "Initial Catalog='zrsystem';Data Source='O''Brien'");
}

TEST_F(RefreshTest, ClosesAnOpenConnectionBeforeOpeningItAnew) {
    database.startOpen("zrdata_001_2024");
    press();
    EXPECT_THAT(database.callsOf(Op::ConnectionClose), testing::SizeIs(1));
    const auto calls = callTexts();
    ASSERT_GE(calls.size(), 4u);
    EXPECT_THAT(
        std::vector<std::string>(calls.begin(), calls.begin() + 4),
        ElementsAre("CON.State", "CON.Close", "CON.Open " + std::string(kLocalLogin), "CON.State"));
    EXPECT_EQ(database.defaultDatabase(), "zrsystem");
}

TEST_F(RefreshTest, SecondPressReplacesTheList) {
    answerInTurn({{"zrdata_001_2024", "zrdata_002_2024"}, {"zrdata_003_2025"}});
    press();
    press();
    EXPECT_THAT(window.entries, ElementsAre("zrdata_003_2025"));
    EXPECT_EQ(window.selected, 0);
    EXPECT_EQ(window.databaseEdit, "zrdata_003_2025");
    EXPECT_THAT(database.callsOf(Op::ConnectionOpen), testing::SizeIs(2));
    EXPECT_THAT(database.callsOf(Op::ConnectionClose), testing::SizeIs(1));
    EXPECT_EQ(database.connectionState(), Connection::kOpen);
}

TEST_F(RefreshTest, FailedLoginShowsTheDescriptionUntitledAndFocusesThePassword) {
    window.giveOldList();
    window.updateEnabled = true;
    database.failOn(Op::ConnectionOpen, kLoginFailed);
    press();
    ASSERT_THAT(window.messages, testing::SizeIs(1));
    EXPECT_EQ(window.messages[0].text, "[FreeTDS][SQL Server]Login failed for user 'sa'.");
    EXPECT_EQ(window.messages[0].caption, std::nullopt);
    EXPECT_EQ(window.passwordFocusCount, 1);
    EXPECT_EQ(window.calls.back(), "FocusPassword");
    EXPECT_THAT(window.entries, ElementsAre("zrdata_009_2020"));
    EXPECT_EQ(window.selected, 0);
    EXPECT_TRUE(window.updateEnabled);
    EXPECT_EQ(database.callsOf(Op::RecordsetOpen).size(), 0u);
}

TEST_F(RefreshTest, FailedLoginAfterSuccessLeavesTheConnectionClosed) {
    database.startOpen();
    window.giveOldList();
    database.failOn(Op::ConnectionOpen, kLoginFailed);
    press();
    EXPECT_EQ(database.connectionState(), Connection::kClosed);
    ASSERT_THAT(window.messages, testing::SizeIs(1));
    EXPECT_EQ(window.messages[0].text, "[FreeTDS][SQL Server]Login failed for user 'sa'.");
    EXPECT_THAT(window.entries, ElementsAre("zrdata_009_2020"));
    EXPECT_FALSE(window.updateEnabled);
}

TEST_F(RefreshTest, FailedStateReadBeforeLoginStillTriesTheClose) {
    answerNames({"zrdata_001_2024"});
    database.failOn(Op::ConnectionState, kBroken, "", 1);
    press();
    // The close on a closed connection fails too; the login goes on regardless.
    EXPECT_THAT(database.callsOf(Op::ConnectionClose), testing::SizeIs(1));
    EXPECT_THAT(database.callsOf(Op::ConnectionOpen), testing::SizeIs(1));
    EXPECT_THAT(window.entries, ElementsAre("zrdata_001_2024"));
    EXPECT_THAT(window.messages, IsEmpty());
}

TEST_F(RefreshTest, FailedCloseStillTriesTheLogin) {
    database.startOpen();
    answerNames({"zrdata_001_2024"});
    database.failOn(Op::ConnectionClose, kBroken);
    press();
    EXPECT_THAT(database.callsOf(Op::ConnectionOpen), testing::SizeIs(1));
    // The connection stayed open, so the list is read on it.
    EXPECT_THAT(window.entries, ElementsAre("zrdata_001_2024"));
    EXPECT_THAT(window.messages, IsEmpty());
}

TEST_F(RefreshTest, FailedLoginShowsTheOpensErrorNotAnEarlierOne) {
    database.failOn(Op::ConnectionState, kBroken, "", 1);
    database.failOn(Op::ConnectionOpen, kLoginFailed);
    press();
    ASSERT_THAT(window.messages, testing::SizeIs(1));
    EXPECT_EQ(window.messages[0].text, "[FreeTDS][SQL Server]Login failed for user 'sa'.");
}

TEST_F(RefreshTest, FailedStateReadAfterSuccessfulLoginGoesOnToTheList) {
    answerNames({"zrdata_001_2024"});
    failNth(Op::ConnectionState, 2);
    press();
    EXPECT_THAT(window.entries, ElementsAre("zrdata_001_2024"));
    EXPECT_TRUE(window.updateEnabled);
    EXPECT_THAT(window.messages, IsEmpty());
}

// Each row makes the press end without a word before the list is touched.
struct SilentEnd {
    std::string_view label;
    Op op;
    int nth;
    bool loginFails;
};

void PrintTo(const SilentEnd& row, std::ostream* out) {
    *out << row.label;
}

class RefreshEndsSilently : public RefreshTest, public testing::WithParamInterface<SilentEnd> {};

TEST_P(RefreshEndsSilently, KeepingTheOldListAndTheButton) {
    answerNames({"zrdata_001_2024"});
    window.giveOldList();
    failNth(GetParam().op, GetParam().nth);
    if (GetParam().loginFails) {
        database.failOn(Op::ConnectionOpen, kLoginFailed);
    }
    press();
    EXPECT_THAT(window.messages, IsEmpty());
    EXPECT_THAT(window.entries, ElementsAre("zrdata_009_2020"));
    EXPECT_EQ(window.databaseEdit, "zrdata_009_2020");
    EXPECT_FALSE(window.updateEnabled);
    EXPECT_EQ(window.passwordFocusCount, 0);
    EXPECT_THAT(window.calls, testing::Not(testing::Contains("Clear")));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RefreshEndsSilently,
    testing::Values(SilentEnd{"QueryFailsToOpen", Op::RecordsetOpen, 1, false},
                    SilentEnd{"RecordsetStateReadFails", Op::RecordsetState, 1, false},
                    // The state test after the login takes its "open" branch; the query then
                    // cannot run on the closed connection.
                    SilentEnd{"StateReadFailsAfterFailedLogin", Op::ConnectionState, 2, true}),
    [](const testing::TestParamInfo<SilentEnd>& info) { return std::string(info.param.label); });

TEST_F(RefreshTest, EmptyResultEmptiesTheListAndStillEnablesUpdate) {
    window.giveOldList();
    answerNames({});
    press();
    EXPECT_THAT(window.entries, IsEmpty());
    EXPECT_EQ(window.selected, -1);
    EXPECT_EQ(window.databaseEdit, "");
    EXPECT_TRUE(window.updateEnabled);
    EXPECT_THAT(window.calls, testing::Not(testing::Contains(testing::StartsWith("Select"))));
    EXPECT_THAT(window.messages, IsEmpty());
}

TEST_F(RefreshTest, NullNameIsLeftOut) {
    database.answer(std::string(kAccountListQuery),
                    {{"name"}, {{Value()}, {Value("zrdata_002_2024")}}});
    press();
    EXPECT_THAT(window.entries, ElementsAre("zrdata_002_2024"));
}

// A failure while the rows are read: which rows reach the list, and the reading still ends with
// the recordset closed, the first entry selected and the button enabled.
struct ReadingFault {
    std::string_view label;
    Op op;
    int nth;
    std::vector<std::string> listed;
};

void PrintTo(const ReadingFault& row, std::ostream* out) {
    *out << row.label;
}

class RefreshReadingFault : public RefreshTest, public testing::WithParamInterface<ReadingFault> {};

TEST_P(RefreshReadingFault, ListsTheRowsItCouldReadOnce) {
    answerNames({"zrdata_001_2024", "zrdata_002_2024", "zrdata_003_2024"});
    failNth(GetParam().op, GetParam().nth);
    press();
    EXPECT_EQ(window.entries, GetParam().listed);
    EXPECT_EQ(window.selected, GetParam().listed.empty() ? -1 : 0);
    EXPECT_TRUE(window.updateEnabled);
    EXPECT_THAT(database.callsOf(Op::RecordsetClose), testing::SizeIs(1));
    EXPECT_LE(database.callsOf(Op::Field).size(), 3u);
    EXPECT_THAT(window.messages, IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RefreshReadingFault,
    testing::Values(
        ReadingFault{"FirstNameReadFails", Op::Field, 1, {"zrdata_002_2024", "zrdata_003_2024"}},
        ReadingFault{"MiddleNameReadFails", Op::Field, 2, {"zrdata_001_2024", "zrdata_003_2024"}},
        ReadingFault{"FirstEndTestFails", Op::Eof, 1, {}},
        ReadingFault{"LaterEndTestFails", Op::Eof, 2, {"zrdata_001_2024"}},
        ReadingFault{"FirstMoveFails", Op::MoveNext, 1, {"zrdata_001_2024"}},
        ReadingFault{"LaterMoveFails", Op::MoveNext, 2, {"zrdata_001_2024", "zrdata_002_2024"}}),
    [](const testing::TestParamInfo<ReadingFault>& info) { return std::string(info.param.label); });

TEST_F(RefreshTest, MoveThatAlwaysFailsDoesNotLoop) {
    answerNames({"zrdata_001_2024", "zrdata_002_2024"});
    database.failOn(Op::MoveNext, kBroken);
    // A safety net so a reading that repeats the row ends here and fails below instead of hanging.
    database.failWhen(
        [endTests = 0](const fake::Call& call) mutable -> std::optional<DatabaseError> {
            if (call.op == Op::Eof && ++endTests > 100) {
                return kBroken;
            }
            return std::nullopt;
        });
    press();
    EXPECT_THAT(window.entries, ElementsAre("zrdata_001_2024"));
    EXPECT_THAT(database.callsOf(Op::MoveNext), testing::SizeIs(1));
}

}  // namespace
}  // namespace kelvar
