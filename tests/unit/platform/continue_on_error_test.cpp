#include "platform/continue_on_error.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace kelvar {
namespace {

const DatabaseError kFailure{208, "Invalid object name 'rdrecord'."};

TEST(ContinueOnError, StartsWithAnEmptyRecord) {
    const ContinueOnError mode;
    EXPECT_FALSE(mode.lastError().has_value());
}

TEST(ContinueOnError, StepReportsSuccessAndFailure) {
    ContinueOnError mode;
    int ran = 0;
    EXPECT_TRUE(mode.step([&] { ++ran; }));
    EXPECT_FALSE(mode.step([&] {
        ++ran;
        throw kFailure;
    }));
    EXPECT_EQ(ran, 2);
    ASSERT_TRUE(mode.lastError().has_value());
    EXPECT_EQ(mode.lastError()->number(), 208);
    EXPECT_EQ(mode.lastError()->description(), "Invalid object name 'rdrecord'.");
}

TEST(ContinueOnError, FailedTestTakesTheTrueBranch) {
    ContinueOnError mode;
    EXPECT_FALSE(mode.test([] { return false; }));
    EXPECT_FALSE(mode.lastError().has_value());
    EXPECT_TRUE(mode.test([]() -> bool { throw kFailure; }));
    EXPECT_TRUE(mode.lastError().has_value());
}

TEST(ContinueOnError, FailedReadGivesNothing) {
    ContinueOnError mode;
    EXPECT_EQ(mode.read([] { return 7; }), 7);
    EXPECT_EQ(mode.read([]() -> int { throw kFailure; }), std::nullopt);
    EXPECT_TRUE(mode.lastError().has_value());
}

TEST(ContinueOnError, KeepsTheLatestFailureAndSurvivesLaterSuccess) {
    ContinueOnError mode;
    (void)mode.step([] { throw DatabaseError(1, "first"); });
    (void)mode.step([] { throw DatabaseError(2, "second"); });
    (void)mode.step([] {});
    ASSERT_TRUE(mode.lastError().has_value());
    EXPECT_EQ(mode.lastError()->description(), "second");
}

TEST(ContinueOnError, LetsOtherExceptionsThrough) {
    ContinueOnError mode;
    EXPECT_THROW((void)mode.step([] { throw std::logic_error("bug"); }), std::logic_error);
    EXPECT_FALSE(mode.lastError().has_value());
}

}  // namespace
}  // namespace kelvar
