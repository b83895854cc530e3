// Starts kelvar-standin as a child process of the test: the harness of the native build.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sqlite3.h>
#include <sys/socket.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <stdexcept>

#include "standin_process.h"

extern char** environ;

namespace kelvar::standin {
namespace fs = std::filesystem;

struct StandinProcess::Child {
    fs::path workDir;
    pid_t pid = -1;
    // The server's standard input: it stops when this closes, also when the test dies.
    int lifeline = -1;
};

namespace {

// Generous: the server only builds a few small SQLite files before it prints its port, but a
// loaded CI machine running sanitizers can be slow.
constexpr int kStartupMs = 60'000;

class Fd {
  public:
    explicit Fd(int fd) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    int get() const { return fd_; }
    void reset() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = -1;
    }

  private:
    int fd_;
};

fs::path makeTempDir() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern =
        std::string(base && *base ? base : "/tmp") + "/kelvar-standin-test-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp: " + std::string(std::strerror(errno)));
    }
    return pattern;
}

void applySql(const fs::path& dataDir, const std::string& database, const std::string& sql) {
    const fs::path script = dataDir / (database + ".sql");
    const fs::path file = dataDir / (database + ".sqlite");
    if (fs::exists(file)) {
        sqlite3* raw = nullptr;
        const int rc = sqlite3_open(file.c_str(), &raw);
        std::unique_ptr<sqlite3, decltype(&sqlite3_close)> db(raw, &sqlite3_close);
        char* error = nullptr;
        if (rc != SQLITE_OK || sqlite3_exec(db.get(), sql.c_str(), nullptr, nullptr, &error)) {
            const std::string text = error ? error : sqlite3_errmsg(db.get());
            sqlite3_free(error);
            throw std::runtime_error("extra SQL for " + database + ": " + text);
        }
        return;
    }
    std::ofstream out(script, std::ios::app | std::ios::binary);
    out << "\n" << sql << "\n";
    if (!out) {
        throw std::runtime_error("cannot write " + script.string());
    }
}

// Reads the server's first stdout line ("listening on HOST:PORT") and returns the port.
std::uint16_t readPort(int fd) {
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStartupMs);
    while (line.find('\n') == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd p{fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(std::max<long long>(0, left.count())));
        if (ready == 0) {
            throw std::runtime_error("kelvar-standin did not report its port in time");
        }
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw std::runtime_error("poll: " + std::string(std::strerror(errno)));
        }
        char buf[256];
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n <= 0) {
            throw std::runtime_error("kelvar-standin exited before listening: " + line);
        }
        line.append(buf, static_cast<std::size_t>(n));
    }
    line.resize(line.find('\n'));
    const auto colon = line.rfind(':');
    if (line.rfind("listening on ", 0) != 0 || colon == std::string::npos) {
        throw std::runtime_error("unexpected first line from kelvar-standin: " + line);
    }
    return static_cast<std::uint16_t>(std::stoi(line.substr(colon + 1)));
}

}  // namespace

StandinProcess::StandinProcess(StandinOptions options)
    : options_(std::move(options)), child_(std::make_unique<Child>()) {
    child_->workDir = makeTempDir();
    try {
        dataDir_ = child_->workDir / "data";
        logPath_ = child_->workDir / "standin.log";
        fs::copy(options_.dataDir, dataDir_, fs::copy_options::recursive);
        for (const auto& [database, sql] : options_.extraSql) {
            applySql(dataDir_, database, sql);
        }

        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) {
            throw std::runtime_error("pipe: " + std::string(std::strerror(errno)));
        }
        Fd readEnd(fds[0]);
        Fd writeEnd(fds[1]);
        int lifeline[2];
        if (::pipe2(lifeline, O_CLOEXEC) != 0) {
            throw std::runtime_error("pipe: " + std::string(std::strerror(errno)));
        }
        Fd serverInput(lifeline[0]);
        child_->lifeline = lifeline[1];

        std::vector<std::string> args = {KELVAR_STANDIN_PATH,
                                         "--data",
                                         dataDir_.string(),
                                         "--password",
                                         options_.password,
                                         "--port",
                                         "0",
                                         "--log",
                                         logPath_.string(),
                                         "--exit-with-stdin"};
        args.insert(args.end(), options_.extraArgs.begin(), options_.extraArgs.end());
        std::vector<char*> argv;
        for (auto& a : args) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, writeEnd.get(), STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, serverInput.get(), STDIN_FILENO);
        const int rc = ::posix_spawn(&child_->pid, KELVAR_STANDIN_PATH, &actions, nullptr,
                                     argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (rc != 0) {
            child_->pid = -1;
            throw std::runtime_error("cannot start " + std::string(KELVAR_STANDIN_PATH) + ": " +
                                     std::strerror(rc));
        }
        writeEnd.reset();
        port_ = readPort(readEnd.get());
    } catch (...) {
        stop();
        std::error_code ignored;
        fs::remove_all(child_->workDir, ignored);
        throw;
    }
}

StandinProcess::~StandinProcess() {
    stop();
    std::error_code ignored;
    fs::remove_all(child_->workDir, ignored);
}

int StandinProcess::stop() {
    if (child_->pid > 0) {
        ::kill(child_->pid, SIGTERM);
        int status = 0;
        while (::waitpid(child_->pid, &status, 0) < 0 && errno == EINTR) {
        }
        exitStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        child_->pid = -1;
    }
    if (child_->lifeline >= 0) {
        ::close(child_->lifeline);
        child_->lifeline = -1;
    }
    return exitStatus_;
}

ClosedPort::ClosedPort() : socket_(::socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (socket_ < 0 ||
        ::bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        const int error = errno;
        if (socket_ >= 0) {
            ::close(socket_);
        }
        throw std::runtime_error(std::string("cannot reserve a loopback port: ") +
                                 std::strerror(error));
    }
    port_ = ntohs(address.sin_port);
}

ClosedPort::~ClosedPort() {
    if (socket_ >= 0) {
        ::close(socket_);
    }
}

}  // namespace kelvar::standin
