#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvar::cli {

enum class Command { Help, Version, Accounts, Check, Repair };

// What the command line asks for.
struct Options {
    Command command = Command::Help;
    // As the window's 服务器 box takes it.
    std::string server = "(local)";
    bool json = false;
    // check --all: every database the account query lists.
    bool all = false;
    // check: the databases named; repair: the one database.
    std::vector<std::string> databases;
};

struct ParsedArguments {
    std::optional<Options> options;
    // When there are no options: why, in words for the user.
    std::string error;
};

// The option as typed up to any '=', when an argument looks like a password option (--password,
// --pwd, --pass, -P, in any of their forms). Only the name is given back, never a value.
[[nodiscard]] std::optional<std::string> passwordOption(const std::vector<std::string>& arguments);

// Reads the arguments after the program's name. Password options are refused here first, so no
// parser ever sees, and no message ever repeats, what follows them.
[[nodiscard]] ParsedArguments parseArguments(const std::vector<std::string>& arguments);

}  // namespace kelvar::cli
