#include "standin_process.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sqlite3.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>

#include "ole_db_login.h"

extern char** environ;

namespace kelvar::standin {
namespace fs = std::filesystem;
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

void appendUtf8(std::string& out, unsigned cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Just enough JSON for the server's own flat log objects: string and boolean values.
class LineParser {
  public:
    explicit LineParser(std::string_view s) : s_(s) {}

    std::vector<std::pair<std::string, std::string>> object() {
        std::vector<std::pair<std::string, std::string>> fields;
        expect('{');
        skipBlanks();
        if (peek() == '}') {
            ++i_;
            return fields;
        }
        for (;;) {
            std::string key = string();
            expect(':');
            skipBlanks();
            std::string value;
            if (peek() == '"') {
                value = string();
            } else if (s_.substr(i_, 4) == "true") {
                value = "true";
                i_ += 4;
            } else if (s_.substr(i_, 5) == "false") {
                value = "false";
                i_ += 5;
            } else {
                fail();
            }
            fields.emplace_back(std::move(key), std::move(value));
            skipBlanks();
            if (peek() == ',') {
                ++i_;
                continue;
            }
            expect('}');
            return fields;
        }
    }

  private:
    [[noreturn]] void fail() const {
        throw std::runtime_error("not a stand-in log line: " + std::string(s_));
    }
    char peek() const { return i_ < s_.size() ? s_[i_] : '\0'; }
    void skipBlanks() {
        while (peek() == ' ') {
            ++i_;
        }
    }
    void expect(char c) {
        skipBlanks();
        if (peek() != c) {
            fail();
        }
        ++i_;
    }
    std::string string() {
        expect('"');
        std::string out;
        while (i_ < s_.size() && s_[i_] != '"') {
            char c = s_[i_++];
            if (c != '\\') {
                out += c;
                continue;
            }
            if (i_ >= s_.size()) {
                fail();
            }
            c = s_[i_++];
            switch (c) {
                case 'n':
                    out += '\n';
                    break;
                case 'r':
                    out += '\r';
                    break;
                case 't':
                    out += '\t';
                    break;
                case 'u':
                    if (i_ + 4 > s_.size()) {
                        fail();
                    }
                    appendUtf8(out, static_cast<unsigned>(
                                        std::stoul(std::string(s_.substr(i_, 4)), nullptr, 16)));
                    i_ += 4;
                    break;
                default:
                    out += c;
            }
        }
        expect('"');
        return out;
    }

    std::string_view s_;
    std::size_t i_ = 0;
};

std::string field(const std::vector<std::pair<std::string, std::string>>& fields,
                  std::string_view key) {
    for (const auto& [k, v] : fields) {
        if (k == key) {
            return v;
        }
    }
    return {};
}

}  // namespace

LogEntry parseLogLine(std::string_view line) {
    const auto fields = LineParser(line).object();
    LogEntry entry;
    entry.database = field(fields, "db");
    bool isLogin = false;
    for (const auto& [k, v] : fields) {
        isLogin |= k == "login";
    }
    if (isLogin) {
        entry.kind = LogEntry::Kind::kLogin;
        entry.user = field(fields, "login");
        entry.ok = field(fields, "ok") == "true";
        entry.encryption = field(fields, "encryption");
    } else {
        entry.kind = LogEntry::Kind::kBatch;
        entry.sql = field(fields, "sql");
    }
    return entry;
}

std::string freetdsConnectionString(std::uint16_t port, std::string_view password,
                                    std::string_view database) {
    // FreeTDS 1.3 ends a braced value at the first "};" and keeps "}}" as is: brace only what
    // needs it (see tds-notes.md, section 7).
    std::string pwd(password);
    if (pwd.find(';') != std::string::npos || (!pwd.empty() && pwd.front() == '{')) {
        if (pwd.find('}') != std::string::npos) {
            throw std::invalid_argument("FreeTDS cannot take a password with both ';' and '}'");
        }
        pwd = "{" + pwd + "}";
    }
    std::string cs =
        "Driver=FreeTDS;Server=127.0.0.1;Port=" + std::to_string(port) + ";UID=sa;PWD=" + pwd + ";";
    if (!database.empty()) {
        cs += "Database=" + std::string(database) + ";";
    }
    // The level Kelvar states too, so no freetds.conf can change it.
    return cs + "TDS_Version=7.4;ClientCharset=UTF-8;Encryption=request;";
}

StandinProcess::StandinProcess(StandinOptions options) : options_(std::move(options)) {
    workDir_ = makeTempDir();
    try {
        dataDir_ = workDir_ / "data";
        logPath_ = workDir_ / "standin.log";
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

        std::vector<std::string> args = {KELVAR_STANDIN_PATH,
                                         "--data",
                                         dataDir_.string(),
                                         "--password",
                                         options_.password,
                                         "--port",
                                         "0",
                                         "--log",
                                         logPath_.string()};
        args.insert(args.end(), options_.extraArgs.begin(), options_.extraArgs.end());
        std::vector<char*> argv;
        for (auto& a : args) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, writeEnd.get(), STDOUT_FILENO);
        const int rc =
            ::posix_spawn(&pid_, KELVAR_STANDIN_PATH, &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (rc != 0) {
            pid_ = -1;
            throw std::runtime_error("cannot start " + std::string(KELVAR_STANDIN_PATH) + ": " +
                                     std::strerror(rc));
        }
        writeEnd.reset();
        port_ = readPort(readEnd.get());
    } catch (...) {
        stop();
        std::error_code ignored;
        fs::remove_all(workDir_, ignored);
        throw;
    }
}

StandinProcess::~StandinProcess() {
    stop();
    std::error_code ignored;
    fs::remove_all(workDir_, ignored);
}

int StandinProcess::stop() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        int status = 0;
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        exitStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        pid_ = -1;
    }
    return exitStatus_;
}

std::string StandinProcess::connectionString(std::string_view database) const {
    return freetdsConnectionString(port_, options_.password, database);
}

std::string oleDbLogin(std::uint16_t port, std::string_view password) {
    return golden::oleDbLogin("127.0.0.1," + std::to_string(port), password);
}

std::string StandinProcess::oleDbLogin() const {
    return standin::oleDbLogin(port_, options_.password);
}

std::vector<std::string> StandinProcess::logLines() const {
    std::ifstream in(logPath_, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // Only whole lines: the server may be writing the next one right now.
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        if (end > start) {
            lines.push_back(text.substr(start, end - start));
        }
    }
    return lines;
}

std::vector<LogEntry> StandinProcess::logEntries() const {
    std::vector<LogEntry> entries;
    for (const auto& line : logLines()) {
        entries.push_back(parseLogLine(line));
    }
    return entries;
}

std::vector<LogEntry> StandinProcess::logins() const {
    std::vector<LogEntry> out;
    for (auto& e : logEntries()) {
        if (e.kind == LogEntry::Kind::kLogin) {
            out.push_back(std::move(e));
        }
    }
    return out;
}

std::vector<std::string> StandinProcess::sqlTexts() const {
    std::vector<std::string> out;
    for (auto& e : logEntries()) {
        if (e.kind == LogEntry::Kind::kBatch) {
            out.push_back(std::move(e.sql));
        }
    }
    return out;
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
