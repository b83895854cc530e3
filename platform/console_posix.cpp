#include "platform/console.h"

#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>

namespace kelvar::console {
namespace {

// Turns terminal echo off for its lifetime and restores the settings it found, also when a read
// is interrupted by an exception.
class EchoOff {
  public:
    explicit EchoOff(int fd) : fd_(fd) {
        if (tcgetattr(fd_, &saved_) != 0) {
            return;
        }
        termios quiet = saved_;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        quiet.c_lflag |= ECHONL;
        active_ = tcsetattr(fd_, TCSAFLUSH, &quiet) == 0;
    }
    ~EchoOff() {
        if (active_) {
            tcsetattr(fd_, TCSAFLUSH, &saved_);
        }
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

    [[nodiscard]] bool active() const noexcept { return active_; }

  private:
    int fd_;
    termios saved_{};
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

void useUtf8Output() {
    // POSIX streams carry bytes as they are; UTF-8 text needs nothing done.
}

}  // namespace kelvar::console
