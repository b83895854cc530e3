#include "cli/arguments.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstddef>

#include "platform/text.h"

namespace kelvar::cli {
namespace {

bool containsIgnoringAsciiCase(std::string_view text, std::string_view part) {
    for (std::size_t at = 0; at + part.size() <= text.size(); ++at) {
        if (equalsIgnoringAsciiCase(text.substr(at, part.size()), part)) {
            return true;
        }
    }
    return false;
}

// Whatever other tools take a password with: a long option naming it ("--password=x",
// "--pwd x", "--sa-password"), "--pw", a short cluster holding p or P ("-P x", "-Px", "-hPx",
// "-p" as mysql takes it) and sqlcmd's "/P". kelvar-cli has no short option but -h, so none of
// these is ever one of its own.
std::optional<std::string> asPasswordOption(std::string_view argument) {
    const std::string_view name = argument.substr(0, argument.find('='));
    if (name.starts_with("--")) {
        if (containsIgnoringAsciiCase(name, "pass") || containsIgnoringAsciiCase(name, "pwd") ||
            equalsIgnoringAsciiCase(name, "--pw")) {
            return std::string(name);
        }
        return std::nullopt;
    }
    if (name.starts_with('-') && name.find_first_of("pP") != std::string_view::npos) {
        return std::string("-P");
    }
    if (equalsIgnoringAsciiCase(name, "/P")) {
        return std::string("/P");
    }
    return std::nullopt;
}

// What the parser left over, in words that name options by their names only: a value typed with
// an option, or a plain word, may be a password given by mistake and is never repeated.
std::string leftOverMessage(const std::vector<std::string>& leftOver) {
    std::string names;
    std::size_t words = 0;
    for (const auto& argument : leftOver) {
        if (argument.starts_with("--")) {
            names += (names.empty() ? "" : "、") + argument.substr(0, argument.find('='));
        } else {
            ++words;
        }
    }
    std::string message = "无法识别的参数";
    if (!names.empty()) {
        message += "：" + names;
    }
    if (words > 0) {
        message += (names.empty() ? "：" : "，另有 ") + std::to_string(words) + " 个多余的参数";
    }
    return message + "。用法见 kelvar-cli --help。";
}

}  // namespace

std::optional<std::string> passwordOption(const std::vector<std::string>& arguments) {
    for (const auto& argument : arguments) {
        if (argument == "--") {
            break;
        }
        if (auto option = asPasswordOption(argument)) {
            return option;
        }
    }
    return std::nullopt;
}

ParsedArguments parseArguments(const std::vector<std::string>& arguments) {
    if (const auto option = passwordOption(arguments)) {
        return {std::nullopt,
                "不接受在命令行上给出密码（" + *option +
                    "）：命令行会留在进程列表和历史记录里。请设置环境变量 KELVAR_SA_PASSWORD，"
                    "或在终端上运行，按提示输入。"};
    }

    Options options;
    bool help = false;
    bool version = false;

    CLI::App app("kelvar-cli", "kelvar-cli");
    app.set_help_flag();
    app.add_flag("-h,--help", help);
    app.add_flag("--version", version);
    app.add_option("--server", options.server);
    app.add_flag("--json", options.json);
    app.require_subcommand(0, 1);
    // Global options may also follow the command: "kelvar-cli check --json X".
    app.fallthrough();
    // Left-over arguments are collected, not thrown with their text: see leftOverMessage.
    app.allow_extras();

    CLI::App* accounts = app.add_subcommand("accounts");
    CLI::App* check = app.add_subcommand("check");
    check->add_flag("--all", options.all);
    check->add_option("databases", options.databases);
    CLI::App* repair = app.add_subcommand("repair");
    // Counted after parsing, so that "repair --help" still asks for help.
    repair->add_option("database", options.databases)->expected(1);
    for (CLI::App* command : {accounts, check, repair}) {
        command->allow_extras();
    }

    // CLI11 takes a vector in reverse order.
    std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::ParseError& error) {
        // What is left names options only, such as "--server: 1 required TEXT missing".
        return {std::nullopt, error.what()};
    }
    if (const auto leftOver = app.remaining(true); !leftOver.empty()) {
        return {std::nullopt, leftOverMessage(leftOver)};
    }

    if (help) {
        options.command = Command::Help;
    } else if (version) {
        options.command = Command::Version;
    } else if (accounts->parsed()) {
        options.command = Command::Accounts;
    } else if (check->parsed()) {
        options.command = Command::Check;
        if (options.all == !options.databases.empty()) {
            return {std::nullopt, "check 需要数据库名，或者 --all（两者只能选一）。"};
        }
    } else if (repair->parsed()) {
        options.command = Command::Repair;
        if (options.databases.size() != 1) {
            return {std::nullopt, "repair 需要一个数据库名。"};
        }
    } else {
        return {std::nullopt, "缺少命令：accounts、check 或 repair。"};
    }
    return {options, {}};
}

}  // namespace kelvar::cli
