// kelvar-standin as a program: its arguments, its exit status and what it leaves behind.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
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

// The name and content of every file in a folder, by name.
std::map<std::string, std::string> filesIn(const fs::path& dir) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(dir)) {
        files[entry.path().filename().string()] = readAll(entry.path());
    }
    return files;
}

std::vector<std::string> namesOf(const std::map<std::string, std::string>& files) {
    std::vector<std::string> names;
    for (const auto& [name, content] : files) {
        names.push_back(name);
    }
    return names;
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

// The harness holds the server's standard input, so a test that dies takes its server with it.
TEST(StandinProgram, WithExitWithStdinStopsCleanlyWhenItsStandardInputEnds) {
    const fs::path data =
        fs::temp_directory_path() / ("kelvar-stdin-test-" + std::to_string(::getpid()));
    fs::copy(KELVAR_SAMPLE_DIR, data, fs::copy_options::recursive);
    // timeout(1) ends a server that would wait for ever with 124 instead of hanging the test.
    const std::string command = "timeout 30 " + std::string(KELVAR_STANDIN_PATH) + " --data " +
                                data.string() +
                                " --password x --port 0 --exit-with-stdin >/dev/null";
    FILE* input = ::popen(command.c_str(), "w");
    ASSERT_NE(input, nullptr);
    const int status = ::pclose(input);  // closes the server's standard input, then waits
    fs::remove_all(data);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(StandinProgram, ExitsCleanlyOnSigtermAfterWorkWithoutTouchingItsDataFolder) {
    StandinProcess server;
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
    // The server was started on an unchanged copy of the sample folder.
    const auto sample = filesIn(KELVAR_SAMPLE_DIR);
    const auto after = filesIn(server.dataDir());
    EXPECT_EQ(namesOf(after), namesOf(sample));
    for (const auto& [name, content] : sample) {
        const auto file = after.find(name);
        EXPECT_TRUE(file != after.end() && file->second == content) << name << " changed";
    }
}

}  // namespace
}  // namespace kelvar::standin
