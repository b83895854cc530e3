// FreeTDS's own command-line client, a program we did not write, against the stand-in.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "standin_process.h"

namespace kelvar::standin {
namespace {

struct TsqlRun {
    int exitCode = -1;
    std::string output;
};

// Feeds `script` to tsql on stdin and collects stdout and stderr together.
TsqlRun runTsql(const StandinProcess& server, const std::string& password,
                const std::string& script) {
    const auto input = server.dataDir().parent_path() / "tsql-input.sql";
    std::ofstream(input) << script;
    const std::string command = std::string(KELVAR_TSQL_PATH) + " -H 127.0.0.1 -p " +
                                std::to_string(server.port()) + " -U sa -P '" + password + "' < '" +
                                input.string() + "' 2>&1";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), &::pclose);
    TsqlRun run;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0) {
        run.output.append(buffer, n);
    }
    const int status = ::pclose(pipe.release());
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

TEST(StandinTsql, LogsInAndRunsASelect) {
    StandinProcess server;
    const TsqlRun run = runTsql(server, server.password(),
                                "select cacc_id, iyear from zrsystem..za_account_sub "
                                "where iyear = 2023\ngo\nexit\n");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("cacc_id\tiyear"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("001\t2023"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("(1 row affected)"), std::string::npos) << run.output;
    ASSERT_EQ(server.logins().size(), 1u);
    EXPECT_TRUE(server.logins()[0].ok);
}

TEST(StandinTsql, RefusesTheWrongPassword) {
    StandinProcess server;
    const TsqlRun run = runTsql(server, "wrong", "select 1\ngo\nexit\n");
    EXPECT_NE(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("Login failed for user 'sa'."), std::string::npos) << run.output;
    EXPECT_TRUE(server.sqlTexts().empty());
}

}  // namespace
}  // namespace kelvar::standin
