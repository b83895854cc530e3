#pragma once

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "cli/password_source.h"
#include "platform/database.h"

namespace kelvar::cli {

// kelvar-cli's exit statuses.
enum ExitStatus : int {
    kInOrder = 0,         // every kind in-sync or skipped (check), written or skipped (repair)
    kNeedsAttention = 1,  // drift, a missing row or a failure
    kUsageError = 2,      // bad arguments, or no password to be had
    kLoginFailed = 3,     // the server did not take the login
};

// The database component, made only once a command needs the server.
using DatabaseAccessFactory = std::function<std::unique_ptr<DatabaseAccess>()>;

struct ProgramIo {
    std::ostream& out;
    std::ostream& err;
    PasswordSource& passwords;
};

// The whole program over its arguments (after its own name, in UTF-8); returns the exit status.
[[nodiscard]] int runProgram(const std::vector<std::string>& arguments,
                             const DatabaseAccessFactory& makeAccess, ProgramIo io);

}  // namespace kelvar::cli
