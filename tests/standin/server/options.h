// Command-line options of kelvar-standin.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "login_messages.h"

namespace kelvar::standin {

struct Options {
    std::string dataDir;
    std::string password;
    std::string host = "127.0.0.1";
    std::uint16_t port = 1433;
    std::string logPath;  // empty: no log
    std::chrono::milliseconds latency{0};
    EncryptionMode encryption = EncryptionMode::kLogin;
    // Stop as on SIGTERM when standard input ends: a test harness holds the other end of a pipe,
    // so a test that dies takes its server with it.
    bool exitWithStdin = false;
};

inline constexpr const char* kUsage =
    "usage: kelvar-standin --data DIR --password PW [--host 127.0.0.1] [--port 1433]\n"
    "                      [--log FILE] [--latency-ms N] [--encryption off|login|force]\n"
    "                      [--exit-with-stdin]\n";

// `args` excludes the program name. Returns nullopt and sets `error` on anything unexpected.
std::optional<Options> parseOptions(const std::vector<std::string>& args, std::string& error);

}  // namespace kelvar::standin
