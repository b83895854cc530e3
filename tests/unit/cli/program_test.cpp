// The whole program over the fake database: exit statuses, where the password comes from, and
// --all over the account list.
#include "cli/program.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "fake_account.h"
#include "fakes/fake_database.h"
#include "golden_texts.h"

namespace kelvar::cli {
namespace {

using fake::Op;
using testing::ElementsAre;
using testing::HasSubstr;
using testing::IsEmpty;
using testing::Not;

constexpr const char* kPassword = "s3cret|pw";

class FakePasswords final : public PasswordSource {
  public:
    std::optional<std::string> environment = kPassword;
    bool terminal = false;
    std::optional<std::string> typed;
    int asked = 0;

    std::optional<std::string> fromEnvironment() override { return environment; }
    bool canAsk() override { return terminal; }
    std::optional<std::string> ask() override {
        ++asked;
        return typed;
    }
};

// Hands the program the test's fake, which outlives it.
class BorrowedAccess final : public DatabaseAccess {
  public:
    explicit BorrowedAccess(DatabaseAccess& fake) : fake_(fake) {}
    std::unique_ptr<Connection> createConnection() override { return fake_.createConnection(); }
    std::unique_ptr<Recordset> createRecordset() override { return fake_.createRecordset(); }

  private:
    DatabaseAccess& fake_;
};

class ProgramTest : public testing::Test {
  protected:
    ProgramTest() {
        db.answer(golden::kAccountListQuery.data(),
                  {{"name"}, {{Value("zrdata_001_2024")}, {Value()}, {Value("zrdata_002_2024")}}});
    }

    int run(std::vector<std::string> arguments) {
        out.str({});
        err.str({});
        return runProgram(arguments, [this] { return std::make_unique<BorrowedAccess>(db); },
                          {out, err, passwords});
    }

    // Every kind of account 1 stored as found, so a check finds it in order.
    void storeEveryCounter() {
        for (std::size_t row = 0; row < 18; ++row) {
            account.storeCounter(1, std::string(voucherTypeTable()[row].vouchType),
                                 fake::FakeAccount::defaultMaxima(row));
        }
    }

    [[nodiscard]] std::vector<std::string> databasesSwitchedTo() const {
        std::vector<std::string> names;
        for (const auto& call : db.callsOf(Op::SetDefaultDatabase)) {
            names.push_back(call.argument);
        }
        return names;
    }

    fake::FakeDatabase db;
    fake::FakeAccount account{db};
    FakePasswords passwords;
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(ProgramTest, ExitStatusSaysWhetherAnythingNeedsAttention) {
    storeEveryCounter();
    EXPECT_EQ(run({"check", "zrdata_001_2024"}), kInOrder) << out.str();
    EXPECT_EQ(run({"check", "zrdata_001_2024", "zrdata_002_2024"}), kNeedsAttention)
        << "account 2 has no counter rows";
    EXPECT_EQ(run({"check", "zrdata_bad_name"}), kNeedsAttention);
    EXPECT_EQ(run({"repair", "zrdata_002_2024"}), kInOrder);
    EXPECT_EQ(run({"check", "zrdata_002_2024"}), kInOrder) << "the repair set them";
    db.failOn(Op::Execute, DatabaseError(547, "no ch today"), "'ch'");
    EXPECT_EQ(run({"repair", "zrdata_003_2024"}), kNeedsAttention);
    EXPECT_THAT(out.str(), HasSubstr("10.盘点单         ch           失败：no ch today"));
    EXPECT_EQ(run({"accounts"}), kInOrder);
    EXPECT_EQ(out.str(), "zrdata_001_2024\nzrdata_002_2024\n");
    EXPECT_EQ(run({"check"}), kUsageError);
    EXPECT_EQ(run({"--help"}), kInOrder);
    EXPECT_THAT(out.str(), HasSubstr("repair 不使用事务，必须在没有人录入该账套单据的时候运行"));
}

TEST_F(ProgramTest, CheckAllChecksEveryListedDatabaseInTheServersOrderAndWritesNothing) {
    EXPECT_EQ(run({"--json", "check", "--all"}), kNeedsAttention);
    EXPECT_THAT(databasesSwitchedTo(), ElementsAre("zrdata_001_2024", "zrdata_002_2024"));
    EXPECT_THAT(db.executed(), IsEmpty());
    EXPECT_THAT(out.str(), HasSubstr("\"database\": \"zrdata_002_2024\""));
}

TEST_F(ProgramTest, CheckAllStopsWhenTheListCannotBeRead) {
    db.failOn(Op::RecordsetOpen, DatabaseError(208, "Invalid object name 'za_account_sub'."),
              "sysdatabases");
    EXPECT_EQ(run({"check", "--all"}), kNeedsAttention);
    EXPECT_THAT(err.str(), HasSubstr("Invalid object name 'za_account_sub'."));
    EXPECT_THAT(databasesSwitchedTo(), IsEmpty());
}

TEST_F(ProgramTest, AFailedLoginExitsThreeWithTheDriversWordsAndNeverThePassword) {
    db.failOn(Op::ConnectionOpen,
              DatabaseError(18456, "[FreeTDS][SQL Server]Login failed for user 'sa'."));
    EXPECT_EQ(run({"--server", "db,1433", "check", "--all"}), kLoginFailed);
    EXPECT_EQ(err.str(), "[FreeTDS][SQL Server]Login failed for user 'sa'.\n");
    EXPECT_THAT(out.str() + err.str(), Not(HasSubstr("s3cret")));
    EXPECT_EQ(db.lastConnectionString(), "");
    EXPECT_THAT(db.callsOf(Op::ConnectionOpen).front().argument, HasSubstr("Password=s3cret|pw;"));
    EXPECT_THAT(db.callsOf(Op::ConnectionOpen).front().argument,
                HasSubstr("Data Source='db,1433'"));
}

TEST_F(ProgramTest, ThePasswordComesFromTheEnvironmentThenTheTerminalElseExitTwo) {
    EXPECT_EQ(run({"accounts"}), kInOrder);
    EXPECT_EQ(passwords.asked, 0);

    passwords.environment.reset();
    passwords.terminal = true;
    passwords.typed = "typed";
    EXPECT_EQ(run({"accounts"}), kInOrder);
    EXPECT_EQ(passwords.asked, 1);
    EXPECT_THAT(db.lastConnectionString(), HasSubstr("Password=typed;"));

    passwords.terminal = false;
    const auto opensBefore = db.callsOf(Op::ConnectionOpen).size();
    EXPECT_EQ(run({"accounts"}), kUsageError);
    EXPECT_THAT(err.str(), HasSubstr("KELVAR_SA_PASSWORD"));
    EXPECT_EQ(run({"--password=s3cret", "accounts"}), kUsageError);
    EXPECT_THAT(out.str() + err.str(), Not(HasSubstr("s3cret")));
    EXPECT_EQ(db.callsOf(Op::ConnectionOpen).size(), opensBefore) << "no login without a password";
}

}  // namespace
}  // namespace kelvar::cli
