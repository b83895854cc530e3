// The log written by the server and read back by the harness, and the harness's connection
// string.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "query_log.h"
#include "standin_process.h"

namespace kelvar::standin {
namespace {

TEST(StandinLog, LinesWrittenByTheServerParseBackExactly) {
    const auto path = std::filesystem::temp_directory_path() /
                      ("kelvar-log-test-" + std::to_string(::getpid()) + ".jsonl");
    const std::string sql = "select '\"q\"', 'back\\slash'\r\n\tfrom t -- 中文 \x01";
    {
        QueryLog log(path.string());
        log.login("sa", "zrdata_001_2024", true, "login");
        log.login("bob", "master", false, "none");
        log.batch("zrsystem", sql);
    }
    std::ifstream in(path);
    std::vector<LogEntry> entries;
    for (std::string line; std::getline(in, line);) {
        entries.push_back(parseLogLine(line));
    }
    std::filesystem::remove(path);

    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].kind, LogEntry::Kind::kLogin);
    EXPECT_EQ(entries[0].user, "sa");
    EXPECT_EQ(entries[0].database, "zrdata_001_2024");
    EXPECT_TRUE(entries[0].ok);
    EXPECT_EQ(entries[0].encryption, "login");
    EXPECT_FALSE(entries[1].ok);
    EXPECT_EQ(entries[1].encryption, "none");
    EXPECT_EQ(entries[2].kind, LogEntry::Kind::kBatch);
    EXPECT_EQ(entries[2].database, "zrsystem");
    EXPECT_EQ(entries[2].sql, sql);
}

TEST(StandinLog, RejectsLinesThatAreNotLogObjects) {
    EXPECT_THROW(parseLogLine("not json"), std::runtime_error);
    EXPECT_THROW(parseLogLine("{\"db\": 1}"), std::runtime_error);
    EXPECT_THROW(parseLogLine("{\"sql\": \"unterminated}"), std::runtime_error);
}

TEST(StandinConnectionString, BracesOnlyValuesThatNeedThem) {
    EXPECT_EQ(freetdsConnectionString(14330, "pw", "zrsystem"),
              "Driver=FreeTDS;Server=127.0.0.1;Port=14330;UID=sa;PWD=pw;Database=zrsystem;"
              "TDS_Version=7.4;ClientCharset=UTF-8;Encryption=request;");
    EXPECT_EQ(freetdsConnectionString(1, "a;b", ""),
              "Driver=FreeTDS;Server=127.0.0.1;Port=1;UID=sa;PWD={a;b};TDS_Version=7.4;"
              "ClientCharset=UTF-8;Encryption=request;");
    EXPECT_NE(freetdsConnectionString(1, "{x", "").find("PWD={{x};"), std::string::npos);
    EXPECT_NE(freetdsConnectionString(1, "x}y", "").find("PWD=x}y;"), std::string::npos);
    EXPECT_THROW(freetdsConnectionString(1, "a;}", ""), std::invalid_argument);
}

}  // namespace
}  // namespace kelvar::standin
