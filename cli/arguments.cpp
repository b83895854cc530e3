#include "cli/arguments.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <array>

#include "platform/text.h"

namespace kelvar::cli {
namespace {

constexpr std::array<std::string_view, 4> kPasswordLongOptions{"--password", "--passwd", "--pwd",
                                                               "--pass"};

// "--password=x" and "--password x" alike; "-P", "-Px" and "-P x" for the short form, as sqlcmd
// takes it.
std::optional<std::string> asPasswordOption(std::string_view argument) {
    const std::string_view name = argument.substr(0, argument.find('='));
    for (const auto option : kPasswordLongOptions) {
        if (equalsIgnoringAsciiCase(name, option)) {
            return std::string(name);
        }
    }
    if (argument.starts_with("-P")) {
        return std::string("-P");
    }
    return std::nullopt;
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

    CLI::App* accounts = app.add_subcommand("accounts");
    CLI::App* check = app.add_subcommand("check");
    check->add_flag("--all", options.all);
    check->add_option("databases", options.databases);
    CLI::App* repair = app.add_subcommand("repair");
    repair->add_option("database", options.databases)->expected(1)->required();

    // CLI11 takes a vector in reverse order.
    std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::ParseError& error) {
        return {std::nullopt, error.what()};
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
    } else {
        return {std::nullopt, "缺少命令：accounts、check 或 repair。"};
    }
    return {options, {}};
}

}  // namespace kelvar::cli
