#include "options.h"

#include <gtest/gtest.h>

namespace kelvar::standin {
namespace {

TEST(StandinArguments, ParsesEveryOption) {
    std::string error;
    const auto o = parseOptions(
        {"--data", "d", "--password", "p w", "--host", "0.0.0.0", "--port", "0", "--log", "l.jsonl",
         "--latency-ms", "250", "--exit-with-stdin", "--encryption", "force"},
        error);
    ASSERT_TRUE(o) << error;
    EXPECT_EQ(o->dataDir, "d");
    EXPECT_EQ(o->password, "p w");
    EXPECT_EQ(o->host, "0.0.0.0");
    EXPECT_EQ(o->port, 0);
    EXPECT_EQ(o->logPath, "l.jsonl");
    EXPECT_EQ(o->latency.count(), 250);
    EXPECT_EQ(o->encryption, EncryptionMode::kForce);
    EXPECT_TRUE(o->exitWithStdin);
}

TEST(StandinArguments, DefaultsToLoopbackPort1433EncryptedLoginWithoutLogOrLatency) {
    std::string error;
    const auto o = parseOptions({"--password", "", "--data", "d"}, error);
    ASSERT_TRUE(o) << error;
    EXPECT_EQ(o->host, "127.0.0.1");
    EXPECT_EQ(o->port, 1433);
    EXPECT_TRUE(o->logPath.empty());
    EXPECT_EQ(o->latency.count(), 0);
    EXPECT_EQ(o->encryption, EncryptionMode::kLogin);
    EXPECT_FALSE(o->exitWithStdin);
}

TEST(StandinArguments, TakesEachEncryptionMode) {
    const std::pair<const char*, EncryptionMode> modes[] = {{"off", EncryptionMode::kOff},
                                                            {"login", EncryptionMode::kLogin},
                                                            {"force", EncryptionMode::kForce}};
    for (const auto& [text, mode] : modes) {
        std::string error;
        const auto o =
            parseOptions({"--data", "d", "--password", "p", "--encryption", text}, error);
        ASSERT_TRUE(o) << error;
        EXPECT_EQ(o->encryption, mode) << text;
    }
}

TEST(StandinArguments, RejectsBadArguments) {
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"--data", "d"},
        {"--password", "p"},
        {"--data", "d", "--password"},
        {"--data", "d", "--password", "p", "--port", "65536"},
        {"--data", "d", "--password", "p", "--port", "12ab"},
        {"--data", "d", "--password", "p", "--latency-ms", "-1"},
        {"--data", "d", "--password", "p", "--verbose", "1"},
        {"--data", "d", "--password", "p", "--encryption", "on"},
        {"--data", "d", "--password", "p", "--encryption", "FORCE"},
        {"--data", "d", "--password", "p", "--encryption"},
    };
    for (const auto& args : bad) {
        std::string error;
        EXPECT_FALSE(parseOptions(args, error)) << ::testing::PrintToString(args);
        EXPECT_FALSE(error.empty());
    }
}

}  // namespace
}  // namespace kelvar::standin
