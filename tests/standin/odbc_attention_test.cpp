// Cancelling: a client-side query timeout and a statement closed with unread results both send
// an ATTENTION, which must be acknowledged so the connection stays usable. Each runs on a plain
// session after an encrypted login and inside a whole-session TLS, where the reader thread takes
// the ATTENTION out of TLS while the server writes its answer.
#include <gtest/gtest.h>

#include "odbc_client.h"
#include "standin_process.h"

namespace kelvar::standin {
namespace {

using test::Cell;
using test::OdbcClient;
using test::Rows;

class StandinAttention : public ::testing::TestWithParam<const char*> {};

TEST_P(StandinAttention, QueryTimeoutCancelsAndTheNextStatementWorks) {
    // Every answer waits 2 s; the statement below allows 1 s of silence.
    StandinProcess server(StandinOptions().withLatencyMs(2000).withEncryption(GetParam()));
    OdbcClient client;
    ASSERT_TRUE(client.connect(server.connectionString("zrdata_001_2024")).ok());

    const auto timedOut = client.execute("select max(id) as idf from rdrecord", nullptr, 1);
    EXPECT_FALSE(timedOut.ok());
    EXPECT_TRUE(timedOut.hasState("HYT00")) << timedOut.describe();

    Rows rows;
    const auto next = client.execute("select max(autoid) as idc from rdrecords", &rows);
    ASSERT_TRUE(next.ok()) << next.describe();
    EXPECT_EQ(rows.names, std::vector<std::string>{"idc"});
    EXPECT_EQ(rows.values.at(0).at(0), Cell{std::int64_t{10036}});
}

TEST_P(StandinAttention, ClosingAStatementWithUnreadRowsLeavesTheConnectionUsable) {
    StandinProcess server(StandinOptions().withEncryption(GetParam()));
    OdbcClient client;
    ASSERT_TRUE(client.connect(server.connectionString("zrdata_001_2024")).ok());
    for (int i = 0; i < 3; ++i) {
        // execute() without rows frees the statement before fetching anything.
        ASSERT_TRUE(client.execute("select * from rdrecords").ok());
        Rows rows;
        const auto next = client.execute("select count(*) as n from rdrecord", &rows);
        ASSERT_TRUE(next.ok()) << next.describe();
        EXPECT_EQ(rows.values.at(0).at(0), Cell{std::int64_t{12}});
    }
}

INSTANTIATE_TEST_SUITE_P(Encryption, StandinAttention, ::testing::Values("login", "force"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
}  // namespace kelvar::standin
