#include "cli/arguments.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kelvar::cli {
namespace {

using testing::HasSubstr;
using testing::Not;

using Arguments = std::vector<std::string>;

struct Refusal {
    Arguments arguments;
    const char* option;
};

class PasswordRefusal : public testing::TestWithParam<Refusal> {};

// The refusal names the option and never repeats what was given with it.
TEST_P(PasswordRefusal, NamesTheOptionButNotItsValue) {
    const auto parsed = parseArguments(GetParam().arguments);
    EXPECT_FALSE(parsed.options.has_value());
    EXPECT_THAT(parsed.error, HasSubstr(GetParam().option));
    EXPECT_THAT(parsed.error, HasSubstr("KELVAR_SA_PASSWORD"));
    EXPECT_THAT(parsed.error, Not(HasSubstr("s3cret")));
}

INSTANTIATE_TEST_SUITE_P(
    Forms, PasswordRefusal,
    testing::Values(Refusal{{"--password", "s3cret", "accounts"}, "--password"},
                    Refusal{{"accounts", "--password=s3cret"}, "--password"},
                    Refusal{{"--PASSWORD=s3cret", "accounts"}, "--PASSWORD"},
                    Refusal{{"check", "zrdata_001_2024", "--pwd=s3cret"}, "--pwd"},
                    Refusal{{"-Ps3cret", "accounts"}, "-P"},
                    Refusal{{"--server", "db", "--passwd=s3cret", "accounts"}, "--passwd"},
                    Refusal{{"accounts", "--sa-password=s3cret"}, "--sa-password"},
                    Refusal{{"--pw=s3cret", "accounts"}, "--pw"},
                    Refusal{{"-hPs3cret", "accounts"}, "-P"},
                    Refusal{{"-ps3cret", "accounts"}, "-P"},
                    Refusal{{"accounts", "/P", "s3cret"}, "/P"}));

TEST(PasswordOption, StopsLookingAfterDoubleDash) {
    EXPECT_EQ(passwordOption({"check", "--", "-Pname"}), std::nullopt);
    EXPECT_EQ(passwordOption({"check", "-Pname", "--"}), std::optional<std::string>("-P"));
}

struct Accepted {
    Arguments arguments;
    Command command;
    std::string server;
    bool json;
    bool all;
    std::vector<std::string> databases;
};

class AcceptedArguments : public testing::TestWithParam<Accepted> {};

TEST_P(AcceptedArguments, GiveTheCommandAndItsOptions) {
    const Accepted& c = GetParam();
    const auto parsed = parseArguments(c.arguments);
    ASSERT_TRUE(parsed.options.has_value()) << parsed.error;
    EXPECT_EQ(parsed.options->command, c.command);
    EXPECT_EQ(parsed.options->server, c.server);
    EXPECT_EQ(parsed.options->json, c.json);
    EXPECT_EQ(parsed.options->all, c.all);
    EXPECT_EQ(parsed.options->databases, c.databases);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, AcceptedArguments,
    testing::Values(Accepted{{"accounts"}, Command::Accounts, "(local)", false, false, {}},
                    Accepted{{"--server", "db\\ERP", "--json", "check", "zrdata_001_2024",
                              "zrdata_002_2024"},
                             Command::Check,
                             "db\\ERP",
                             true,
                             false,
                             {"zrdata_001_2024", "zrdata_002_2024"}},
                    Accepted{{"check", "--json", "--server=db,1433", "--all"},
                             Command::Check,
                             "db,1433",
                             true,
                             true,
                             {}},
                    Accepted{{"repair", "zrdata_001_2024"},
                             Command::Repair,
                             "(local)",
                             false,
                             false,
                             {"zrdata_001_2024"}},
                    Accepted{{"check", "-h"}, Command::Help, "(local)", false, false, {}},
                    Accepted{{"repair", "--help"}, Command::Help, "(local)", false, false, {}}));

class UsageError : public testing::TestWithParam<Arguments> {};

TEST_P(UsageError, IsRefusedWithAMessage) {
    const auto parsed = parseArguments(GetParam());
    EXPECT_FALSE(parsed.options.has_value());
    EXPECT_FALSE(parsed.error.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Mistakes, UsageError,
    testing::Values(Arguments{}, Arguments{"check"}, Arguments{"check", "--all", "zrdata_001_2024"},
                    Arguments{"repair"}, Arguments{"repair", "zrdata_001_2024", "zrdata_002_2024"},
                    Arguments{"fix", "zrdata_001_2024"}, Arguments{"accounts", "--verbose"},
                    Arguments{"--server"}));

// A word or an option's value typed by mistake may be a password: messages name options only.
TEST(UsageErrorMessage, NamesUnknownOptionsButRepeatsNoValueOrWord) {
    const auto parsed = parseArguments({"accounts", "--verbose=s3cret", "s3cret"});
    EXPECT_FALSE(parsed.options.has_value());
    EXPECT_THAT(parsed.error, HasSubstr("--verbose"));
    EXPECT_THAT(parsed.error, HasSubstr("1 个多余的参数"));
    EXPECT_THAT(parsed.error, Not(HasSubstr("s3cret")));
}

}  // namespace
}  // namespace kelvar::cli
