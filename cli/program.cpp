#include "cli/program.h"

#include <optional>
#include <string_view>

#include "cli/arguments.h"
#include "cli/check.h"
#include "cli/help_text.h"
#include "cli/report.h"
#include "cli/session.h"
#include "platform/continue_on_error.h"
#include "platform/database_objects.h"
#include "repair/repair_run.h"

namespace kelvar::cli {
namespace {

// The environment first, then the terminal; a script with neither is told so rather than hang.
std::optional<std::string> findPassword(PasswordSource& passwords, std::ostream& err) {
    if (auto password = passwords.fromEnvironment()) {
        return password;
    }
    if (!passwords.canAsk()) {
        err << "kelvar-cli: 没有密码：请设置环境变量 KELVAR_SA_PASSWORD，或在终端上运行，"
               "按提示输入。\n";
        return std::nullopt;
    }
    auto password = passwords.ask();
    if (!password) {
        err << "kelvar-cli: 没有读到密码。\n";
    }
    return password;
}

int accounts(DatabaseObjects& db, const Options& options, ProgramIo io) {
    const AccountList list = listAccounts(db);
    io.out << (options.json ? accountsJson(options.server, list.names) : accountsText(list.names));
    if (list.error) {
        io.err << "kelvar-cli: 无法读取账套列表：" << *list.error << "\n";
        return kNeedsAttention;
    }
    return kInOrder;
}

int check(DatabaseObjects& db, const Options& options, ProgramIo io) {
    std::vector<std::string> names = options.databases;
    if (options.all) {
        const AccountList list = listAccounts(db);
        // A list cut short would pass for every account checked.
        if (list.error) {
            io.err << "kelvar-cli: 无法读取账套列表：" << *list.error << "\n";
            return kNeedsAttention;
        }
        names = list.names;
    }
    std::vector<DatabaseCheck> checks;
    for (const auto& name : names) {
        checks.push_back(checkDatabase(db, name));
    }
    if (options.json) {
        io.out << checkJson(options.server, checks);
    } else if (checks.empty()) {
        io.out << "服务器上没有账套数据库。\n";
    } else {
        io.out << checkText(checks);
    }
    return allInOrder(checks) ? kInOrder : kNeedsAttention;
}

int repair(DatabaseObjects& db, const Options& options, ProgramIo io) {
    RepairRun run(db, options.databases.front());
    const RepairReport report = run.run();
    io.out << (options.json ? repairJson(options.server, report) : repairText(report));
    return allInOrder(report) ? kInOrder : kNeedsAttention;
}

}  // namespace

int runProgram(const std::vector<std::string>& arguments, const DatabaseAccessFactory& makeAccess,
               ProgramIo io) {
    const ParsedArguments parsed = parseArguments(arguments);
    if (!parsed.options) {
        io.err << "kelvar-cli: " << parsed.error << "\n用法见 kelvar-cli --help。\n";
        return kUsageError;
    }
    const Options& options = *parsed.options;
    if (options.command == Command::Help) {
        io.out << helpText();
        return kInOrder;
    }
    if (options.command == Command::Version) {
        io.out << "kelvar-cli " << KELVAR_VERSION << "\n";
        return kInOrder;
    }

    const auto password = findPassword(io.passwords, io.err);
    if (!password) {
        return kUsageError;
    }

    // Without a driver manager no login can be tried; its words go out as a failed login's do.
    ContinueOnError mode;
    auto access = mode.read([&] { return makeAccess(); });
    if (!access) {
        io.err << mode.lastError()->description() << "\n";
        return kLoginFailed;
    }
    DatabaseObjects db(**access);
    if (const auto error = logIn(db, options.server, *password)) {
        io.err << (error->empty() ? std::string_view("登录失败。") : std::string_view(*error))
               << "\n";
        return kLoginFailed;
    }

    switch (options.command) {
        case Command::Accounts:
            return accounts(db, options, io);
        case Command::Check:
            return check(db, options, io);
        case Command::Repair:
            return repair(db, options, io);
        case Command::Help:
        case Command::Version:
            break;
    }
    return kInOrder;
}

}  // namespace kelvar::cli
