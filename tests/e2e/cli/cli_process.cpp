#include "cli_process.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace kelvar::e2e {
namespace {

// Single quotes for the shell, an inner quote closed, escaped and reopened.
std::string quoted(const std::string& text) {
    std::string out = "'";
    for (const char c : text) {
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return out + "'";
}

std::string readAll(const std::filesystem::path& path) {
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    std::filesystem::remove(path);
    return text.str();
}

}  // namespace

CliRun runCli(const std::vector<std::string>& arguments,
              const std::optional<std::string>& password) {
    // The password travels in the environment, as a user's script gives it, never on a command
    // line.
    if (password) {
        setenv("KELVAR_SA_PASSWORD", password->c_str(), 1);
    } else {
        unsetenv("KELVAR_SA_PASSWORD");
    }
    const auto stem =
        std::filesystem::temp_directory_path() / ("kelvar-cli-" + std::to_string(getpid()) + "-");
    std::string command = quoted(KELVAR_CLI_PATH);
    for (const auto& argument : arguments) {
        command += " " + quoted(argument);
    }
    command +=
        " </dev/null >" + quoted(stem.string() + "out") + " 2>" + quoted(stem.string() + "err");
    const int status = std::system(command.c_str());
    unsetenv("KELVAR_SA_PASSWORD");
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readAll(stem.string() + "out"),
            readAll(stem.string() + "err")};
}

}  // namespace kelvar::e2e
