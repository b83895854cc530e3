// The repair run's behaviours that must read the same on the unit-test fake and on the stand-in
// server: one test body, run against each.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "golden_texts.h"
#include "repair_backend.h"

namespace kelvar::e2e {
namespace {

enum class Backend { Fake, Standin };

enum class Shown { Nothing, Success, SwitchFailure, PartialFailure };

struct Behaviour {
    const char* label;
    BackendSetup setup;
    bool connected;
    const char* database;
    int presses;
    Shown shown;
    std::vector<std::string> failedItems;   // for PartialFailure: "<n>.<name>" in order
    std::map<std::string, Maxima> account;  // account 1's counter rows afterwards
    std::size_t inserts;                    // insert statements sent in all
    std::size_t updates;                    // update statements sent in all
    // The message's exact text on each backend, where the server's own words are part of it.
    std::optional<std::string> textOnFake = std::nullopt;
    std::optional<std::string> textOnStandin = std::nullopt;
};

void PrintTo(const Behaviour& b, std::ostream* os) {
    *os << b.label;
}

// Account 1's rows before any run.
std::map<std::string, Maxima> storedRows() {
    std::map<std::string, Maxima> rows;
    for (const auto& stored : standin::sample::kStoredCounters) {
        if (stored.account == 1) {
            rows[upperCased(stored.code)] = maximaOf(stored.maxima);
        }
    }
    return rows;
}

// Account 1's rows after a run: every kind with data holds its maxima, but `unwritten`.
std::map<std::string, Maxima> repairedRows(const std::string& unwritten = {}) {
    auto rows = storedRows();
    for (std::size_t row = 0; row < kVoucherTypeCount; ++row) {
        const std::string code = upperCased(std::string(voucherTypeTable()[row].vouchType));
        const auto& maxima = standin::sample::kAccountOneMaxima[row];
        if (maxima && code != unwritten) {
            rows[code] = maximaOf(*maxima);
        }
    }
    return rows;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        result.push_back(line);
    }
    return result;
}

const std::vector<Behaviour>& behaviours() {
    static const std::vector<Behaviour> all{
        {"RepairsEveryKindWithDataOfAccountOne",
         {},
         true,
         "zrdata_001_2024",
         1,
         Shown::Success,
         {},
         repairedRows(),
         12,
         5},
        {"SecondRunFindsEveryRowAndOnlyUpdates",
         {},
         true,
         "zrdata_001_2024",
         2,
         Shown::Success,
         {},
         repairedRows(),
         12,
         5 + 17},
        {"ClosedConnectionDoesNothing",
         {},
         false,
         "zrdata_001_2024",
         1,
         Shown::Nothing,
         {},
         storedRows(),
         0,
         0},
        {"MissingDatabaseWritesNothing",
         {},
         true,
         "zrdata_001_2023",
         1,
         Shown::SwitchFailure,
         {},
         storedRows(),
         0,
         0,
         "无法打开数据库“zrdata_001_2023”：\n"
         "Database 'zrdata_001_2023' does not exist. Make sure that the name is entered "
         "correctly.",
         "无法打开数据库“zrdata_001_2023”：\n"
         "[FreeTDS][SQL Server]Database 'zrdata_001_2023' does not exist. Make sure that the "
         "name is entered correctly.\n"
         "[FreeTDS][SQL Server]Could not change database"},
        {"RejectedInsertFailsThatKindOnly",
         {std::string("ch")},
         true,
         "zrdata_001_2024",
         1,
         Shown::PartialFailure,
         {"10.盘点单"},
         repairedRows("CH"),
         12,
         5,
         std::string(golden::kFailedKindsHeading) + "\n10.盘点单：no ch today",
         std::string(golden::kFailedKindsHeading) +
             "\n10.盘点单：[FreeTDS][SQL Server]no ch today"},
    };
    return all;
}

class RepairOnBothBackends : public ::testing::TestWithParam<std::tuple<Backend, Behaviour>> {};

TEST_P(RepairOnBothBackends, BehavesAlike) {
    const auto& [backendKind, behaviour] = GetParam();
    const auto backend = backendKind == Backend::Fake ? makeFakeBackend(behaviour.setup)
                                                      : makeStandinBackend(behaviour.setup);
    if (behaviour.connected) {
        backend->connect();
    }
    std::optional<std::map<std::string, Maxima>> afterFirstRun;
    for (int press = 0; press < behaviour.presses; ++press) {
        backend->pressUpdate(behaviour.database);
        if (!afterFirstRun) {
            afterFirstRun = backend->counters(1);
        } else {
            EXPECT_EQ(backend->counters(1), *afterFirstRun) << "after press " << press + 1;
        }
    }

    const auto& messages = backend->window.messages;
    switch (behaviour.shown) {
        case Shown::Nothing:
            EXPECT_TRUE(messages.empty());
            break;
        case Shown::Success:
            ASSERT_EQ(messages.size(), static_cast<std::size_t>(behaviour.presses));
            for (const auto& message : messages) {
                EXPECT_EQ(message,
                          (fake::FakeWindow::Message{std::string(golden::kRepairSucceeded),
                                                     std::string(golden::kRepairCaption)}));
            }
            break;
        case Shown::SwitchFailure: {
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_EQ(messages[0].caption, golden::kRepairCaption);
            const std::string head = "无法打开数据库“" + std::string(behaviour.database) + "”：\n";
            EXPECT_TRUE(messages[0].text.starts_with(head)) << messages[0].text;
            EXPECT_NE(messages[0].text.find(behaviour.database, head.size()), std::string::npos)
                << messages[0].text;
            EXPECT_TRUE(backend->repairStatements().empty());
            break;
        }
        case Shown::PartialFailure: {
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_EQ(messages[0].caption, golden::kRepairCaption);
            const auto text = lines(messages[0].text);
            ASSERT_FALSE(text.empty());
            EXPECT_EQ(text[0], golden::kFailedKindsHeading);
            std::vector<std::string> items;
            for (std::size_t i = 1; i < text.size(); ++i) {
                items.push_back(text[i].substr(0, text[i].find("：")));
            }
            EXPECT_EQ(items, behaviour.failedItems) << messages[0].text;
            break;
        }
    }

    const auto& exactText =
        backendKind == Backend::Fake ? behaviour.textOnFake : behaviour.textOnStandin;
    if (exactText) {
        ASSERT_FALSE(messages.empty());
        EXPECT_EQ(messages.back().text, *exactText);
    }

    const auto statements = backend->repairStatements();
    const auto starting = [&](std::string_view prefix) {
        return static_cast<std::size_t>(
            std::count_if(statements.begin(), statements.end(),
                          [&](const std::string& sql) { return sql.starts_with(prefix); }));
    };
    EXPECT_EQ(starting("insert "), behaviour.inserts);
    EXPECT_EQ(starting("update "), behaviour.updates);
    EXPECT_EQ(backend->counters(1), behaviour.account);
    EXPECT_EQ(backend->counters(2), (std::map<std::string, Maxima>{{"RD", {50, 500}}}));
}

INSTANTIATE_TEST_SUITE_P(Behaviours, RepairOnBothBackends,
                         ::testing::Combine(::testing::Values(Backend::Fake, Backend::Standin),
                                            ::testing::ValuesIn(behaviours())),
                         [](const auto& info) {
                             return std::string(std::get<1>(info.param).label) +
                                    (std::get<0>(info.param) == Backend::Fake ? "_OnFake"
                                                                              : "_OnStandin");
                         });

}  // namespace
}  // namespace kelvar::e2e
