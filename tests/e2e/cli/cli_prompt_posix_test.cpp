// The password prompt on a real terminal: echo off while it waits, and back on however the
// program ends. A terminal's settings outlive the program, so Ctrl+C must not leave it silent.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <string>
#include <thread>

namespace kelvar::e2e {
namespace {

bool echoes(int terminal) {
    termios settings{};
    tcgetattr(terminal, &settings);
    return (settings.c_lflag & ECHO) != 0;
}

TEST(CliPrompt, CtrlCAtThePasswordPromptLeavesTheTerminalEchoing) {
    int terminal = -1;
    const pid_t pid = forkpty(&terminal, nullptr, nullptr, nullptr);
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        unsetenv("KELVAR_SA_PASSWORD");
        // Port 9 on loopback: nothing is reached, since the password never comes.
        execl(KELVAR_CLI_PATH, "kelvar-cli", "--server", "127.0.0.1,9", "accounts", nullptr);
        _exit(127);
    }
    std::string shown;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (shown.find("密码：") == std::string::npos &&
           std::chrono::steady_clock::now() < deadline) {
        pollfd ready{terminal, POLLIN, 0};
        char buffer[256];
        if (poll(&ready, 1, 100) > 0) {
            const ssize_t n = read(terminal, buffer, sizeof buffer);
            ASSERT_GT(n, 0);
            shown.append(buffer, static_cast<std::size_t>(n));
        }
    }
    ASSERT_NE(shown.find("密码："), std::string::npos) << shown;
    // The prompt is written just before echo goes off.
    while (echoes(terminal) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_FALSE(echoes(terminal));

    ASSERT_EQ(write(terminal, "\x03", 1), 1);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << status;
    EXPECT_TRUE(echoes(terminal));
    close(terminal);
}

}  // namespace
}  // namespace kelvar::e2e
