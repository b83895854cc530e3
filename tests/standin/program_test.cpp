// kelvar-standin as a program: its arguments, its exit status and what it leaves behind.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "odbc_client.h"
#include "standin_process.h"

namespace kelvar::standin {
namespace {

namespace fs = std::filesystem;
using test::OdbcClient;

std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(StandinProgram, BadArgumentsPrintUsageAndExitWith2) {
    const std::string command = std::string(KELVAR_STANDIN_PATH) + " --data . --port 99999 2>&1";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), &::pclose);
    std::string output;
    char buffer[512];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0;) {
        output.append(buffer, n);
    }
    const int status = ::pclose(pipe.release());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 2);
    EXPECT_NE(output.find("usage: kelvar-standin --data DIR --password PW"), std::string::npos)
        << output;
}

TEST(StandinProgram, ExitsCleanlyOnSigtermAfterWorkWithoutTouchingItsDataFolder) {
    StandinProcess server;
    const fs::path script = server.dataDir() / "zrsystem.sql";
    const std::string before = readAll(script);
    {
        OdbcClient client;
        ASSERT_TRUE(client.connect(server.connectionString("zrsystem")).ok());
        ASSERT_TRUE(client.execute("update za_identity set iFatherId = 1 where cAcc_Id = 1").ok());
        ASSERT_TRUE(client.execute("select * from za_identity").ok());  // left unread
        ASSERT_FALSE(client.execute("select * from nosuch").ok());
    }
    OdbcClient stillConnected;
    ASSERT_TRUE(stillConnected.connect(server.connectionString()).ok());

    // Under AddressSanitizer a leak or memory error in the server shows here as a non-zero exit.
    EXPECT_EQ(server.stop(), 0);
    EXPECT_EQ(readAll(script), before);
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(server.dataDir())) {
        files.push_back(entry.path().filename().string());
    }
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files,
              (std::vector<std::string>{"README.md", "zrdata_001_2024.sql", "zrdata_002_2024.sql",
                                        "zrdata_003_2024.sql", "zrsystem.sql"}));
}

}  // namespace
}  // namespace kelvar::standin
