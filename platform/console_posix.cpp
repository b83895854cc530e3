#include "platform/console.h"

#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>

namespace kelvar::console {
namespace {

// The signals that end a program at the prompt, Ctrl+C among them. A terminal's settings outlive
// the program, so their handler puts echo back before the signal takes its course; it can reach
// only what is static.
constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGQUIT, SIGHUP};
volatile std::sig_atomic_t echoFd = -1;
termios echoSaved{};
struct sigaction previousActions[std::size(kEndingSignals)];

extern "C" void restoreEchoAndRaise(int signal) {
    if (echoFd >= 0) {
        tcsetattr(echoFd, TCSANOW, &echoSaved);
    }
    for (std::size_t i = 0; i < std::size(kEndingSignals); ++i) {
        if (kEndingSignals[i] == signal) {
            sigaction(signal, &previousActions[i], nullptr);
        }
    }
    raise(signal);  // delivered as before once this handler returns
}

// Turns terminal echo off for its lifetime and restores the settings it found, also when a read
// is interrupted by an exception or the program by a signal.
class EchoOff {
  public:
    explicit EchoOff(int fd) : fd_(fd) {
        if (tcgetattr(fd_, &echoSaved) != 0) {
            return;
        }
        echoFd = fd_;
        struct sigaction restore {};
        restore.sa_handler = restoreEchoAndRaise;
        sigemptyset(&restore.sa_mask);
        for (std::size_t i = 0; i < std::size(kEndingSignals); ++i) {
            sigaction(kEndingSignals[i], &restore, &previousActions[i]);
        }
        termios quiet = echoSaved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        quiet.c_lflag |= ECHONL;
        active_ = tcsetattr(fd_, TCSAFLUSH, &quiet) == 0;
    }
    ~EchoOff() {
        if (echoFd < 0) {
            return;
        }
        if (active_) {
            tcsetattr(fd_, TCSAFLUSH, &echoSaved);
        }
        for (std::size_t i = 0; i < std::size(kEndingSignals); ++i) {
            sigaction(kEndingSignals[i], &previousActions[i], nullptr);
        }
        echoFd = -1;
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

    [[nodiscard]] bool active() const noexcept { return active_; }

  private:
    int fd_;
    bool active_ = false;
};

}  // namespace

std::vector<std::string> arguments(int argc, char** argv) {
    std::vector<std::string> list;
    for (int i = 1; i < argc; ++i) {
        list.emplace_back(argv[i]);
    }
    return list;
}

std::optional<std::string> environmentVariable(std::string_view name) {
    const char* value = std::getenv(std::string(name).c_str());
    if (value == nullptr) {
        return std::nullopt;
    }
    return std::string(value);
}

bool standardInputIsTerminal() {
    return isatty(STDIN_FILENO) == 1;
}

std::optional<std::string> readHiddenLine(std::string_view prompt) {
    std::cerr << prompt << std::flush;
    const EchoOff echoOff(STDIN_FILENO);
    if (!echoOff.active()) {
        // A password is never read from a terminal that would show it.
        return std::nullopt;
    }
    std::string line;
    if (!std::getline(std::cin, line)) {
        return std::nullopt;
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return line;
}

// POSIX streams carry bytes as they are; UTF-8 text needs nothing done.
Utf8Output::Utf8Output() = default;
Utf8Output::~Utf8Output() = default;

}  // namespace kelvar::console
