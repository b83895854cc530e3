#include "platform/odbc/odbc_error.h"

#include <gtest/gtest.h>

namespace kelvar::odbc {
namespace {

TEST(OdbcError, NumberIsTheFirstRecordsNativeError) {
    const OdbcError error = errorFrom(-1, {{"42000", 18456, "[FreeTDS][SQL Server]Login failed."},
                                           {"08001", 0, "[FreeTDS][SQL Server]Unable to connect"}});
    EXPECT_EQ(error.number(), 18456);
}

TEST(OdbcError, DescriptionJoinsEveryMessageOnceByLineFeeds) {
    const OdbcError error = errorFrom(-1, {{"HYT00", 0, "Timeout expired"},
                                           {"HY008", 0, "Operation was cancelled"},
                                           {"HYT00", 0, "Timeout expired"},
                                           {"01000", 5701, "Changed database context"}});
    EXPECT_EQ(error.description(),
              "Timeout expired\nOperation was cancelled\nChanged database context");
    EXPECT_STREQ(error.what(), error.description().c_str());
}

TEST(OdbcError, KeepsTheRecordsForTheirStates) {
    const OdbcError error =
        errorFrom(-1, {{"HYT00", 0, "Timeout expired"}, {"HY008", 0, "Operation was cancelled"}});
    EXPECT_EQ(error.records().size(), 2U);
    EXPECT_TRUE(error.hasState("HY008"));
    EXPECT_FALSE(error.hasState("08001"));
}

TEST(OdbcError, SaysSoWhenTheDriverGaveNoRecord) {
    const OdbcError error = errorFrom(-2, {});
    EXPECT_EQ(error.number(), -2);
    EXPECT_EQ(error.description(), "The ODBC call failed (return code -2) without saying why.");
}

}  // namespace
}  // namespace kelvar::odbc
