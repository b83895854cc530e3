#include "cli_process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string_view>

extern char** environ;

namespace kelvar::e2e {
namespace {

constexpr std::string_view kPasswordVariable = "KELVAR_SA_PASSWORD=";

std::string readAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A fresh folder for the child's output, removed when the run is read.
class TemporaryFolder {
  public:
    TemporaryFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "kelvar-cli-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("mkdtemp failed");
        }
        path_ = pattern;
    }
    ~TemporaryFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    [[nodiscard]] const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

class FileActions {
  public:
    FileActions() { posix_spawn_file_actions_init(&actions_); }
    ~FileActions() { posix_spawn_file_actions_destroy(&actions_); }
    FileActions(const FileActions&) = delete;
    FileActions& operator=(const FileActions&) = delete;

    void open(int fd, const std::string& path, int flags) {
        posix_spawn_file_actions_addopen(&actions_, fd, path.c_str(), flags, 0600);
    }
    [[nodiscard]] const posix_spawn_file_actions_t* get() const { return &actions_; }

  private:
    posix_spawn_file_actions_t actions_{};
};

}  // namespace

CliRun runCli(const std::vector<std::string>& arguments,
              const std::optional<std::string>& password) {
    const TemporaryFolder folder;
    const std::string outPath = (folder.path() / "out").string();
    const std::string errPath = (folder.path() / "err").string();

    FileActions actions;
    actions.open(STDIN_FILENO, "/dev/null", O_RDONLY);
    actions.open(STDOUT_FILENO, outPath, O_WRONLY | O_CREAT | O_TRUNC);
    actions.open(STDERR_FILENO, errPath, O_WRONLY | O_CREAT | O_TRUNC);

    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        if (!std::string_view(*entry).starts_with(kPasswordVariable)) {
            environment.emplace_back(*entry);
        }
    }
    if (password) {
        environment.push_back(std::string(kPasswordVariable) + *password);
    }

    std::vector<std::string> argv{KELVAR_CLI_PATH};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    const auto pointers = [](std::vector<std::string>& texts) {
        std::vector<char*> list;
        for (auto& text : texts) {
            list.push_back(text.data());
        }
        list.push_back(nullptr);
        return list;
    };
    auto argvPointers = pointers(argv);
    auto environmentPointers = pointers(environment);

    pid_t pid = -1;
    if (posix_spawn(&pid, KELVAR_CLI_PATH, actions.get(), nullptr, argvPointers.data(),
                    environmentPointers.data()) != 0) {
        throw std::runtime_error("cannot start " KELVAR_CLI_PATH);
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    CliRun run;
    run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = readAll(outPath);
    run.err = readAll(errPath);
    return run;
}

}  // namespace kelvar::e2e
