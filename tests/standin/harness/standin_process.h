// Test harness for the SQL Server stand-in (kelvar-standin).
//
//   #include "standin_process.h"
//   using kelvar::standin::StandinProcess;
//
//   StandinProcess server;                        // sample data, password kDefaultPassword
//   std::string cs = server.connectionString("zrdata_001_2024");
//   ... SQLDriverConnect(cs) and run statements through FreeTDS ...
//   EXPECT_EQ(server.sqlTexts(), (std::vector<std::string>{"select ..."}));
//
// Each StandinProcess starts its own kelvar-standin on a free loopback port, with a fresh copy of
// the data folder in its own temporary directory (removed afterwards), and stops it with SIGTERM
// in the destructor. Instances are independent, so tests may run in parallel.
//
// StandinOptions (fields, or the chainable withData / withPassword / withLatencyMs / withSql /
// withEncryption):
//   dataDir    folder of <db>.sql / <db>.sqlite files; default: the sample folder
//              (tests/standin/sample, see its README.md for the values it holds).
//   password   the sa password the server accepts; default kDefaultPassword.
//   extraArgs  more arguments, e.g. {"--latency-ms", "300"} or {"--encryption", "force"}; without
//              --encryption the server runs its default, login (the LOGIN7 inside TLS).
//   extraSql   database name -> SQL run after that database is created, e.g.
//              {"zrsystem", "DROP TABLE za_account_sub;"} or a trigger that fails one insert:
//              {"zrsystem", "CREATE TRIGGER t BEFORE INSERT ON za_identity WHEN NEW.cVouchType"
//                           " = 'ch' BEGIN SELECT RAISE(ABORT, 'no ch today'); END;"}
//              (the client then sees error 50000 "no ch today"). A name with no database in the
//              folder creates a new database from the SQL alone.
//
// StandinProcess:
//   port()                the loopback port it listens on (host is always 127.0.0.1).
//   password()            the password it accepts.
//   connectionString(db)  FreeTDS ODBC string for it; db may be empty (then master).
//   dataDir()             the temporary copy of the data folder it was started from.
//   logPath()             its --log file; logLines() the raw JSON lines so far;
//   logEntries()          those lines parsed, in order; logins() only the logins;
//   sqlTexts()            the text of every SQL batch received, in order, exactly as sent;
//                         this includes the `USE [db]` batches FreeTDS sends for
//                         SQL_ATTR_CURRENT_CATALOG.
//   stop()                stops it early; returns its exit status (0 after a clean SIGTERM).
//   oleDbLogin()          the login's OLE DB string for sa on zrsystem at it, values quoted;
//                         oleDbLogin(port, password) builds one for any loopback port.
//
// kTrickyPasswords: passwords that need quoting somewhere between the login and the server.
// ClosedPort: a loopback port bound but not listening, so a connection to it is refused at once;
// unlike a stopped server's port, no other test's server can take it while it is held.
//
// freetdsConnectionString(port, password, database) builds the same string without a process:
//   Driver=FreeTDS;Server=127.0.0.1;Port=N;UID=sa;PWD=...;Database=...;TDS_Version=7.4;
//   ClientCharset=UTF-8;Encryption=request;
//
// The CMake target kelvar_standin_harness carries the compile definitions KELVAR_STANDIN_PATH
// (the built server) and KELVAR_SAMPLE_DIR (the sample folder), and builds the server first.
//
// In the Windows build the tests run under Wine, which cannot start and stop a Linux program
// reliably. There each StandinProcess asks kelvar-standin-launcher, a native program that the
// CTest fixture `standin_launcher` starts, to run one for it over a loopback connection; the
// server is stopped when that connection ends. Paths come back as Wine sees them (Z:/...).
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kelvar::standin {

inline constexpr const char* kDefaultPassword = "Stand-in#2024";

// Each needs quoting somewhere on its way: OLE DB, the ODBC string, UTF-16.
inline constexpr std::array<const char*, 7> kTrickyPasswords{
    "a;b", "it's", "say \"hi\"", "x}y", "|2|1|3", " 前后有空格 ", "密码"};

struct StandinOptions {
    std::filesystem::path dataDir = KELVAR_SAMPLE_DIR;
    std::string password = kDefaultPassword;
    std::vector<std::string> extraArgs;
    std::map<std::string, std::string> extraSql;

    // Chainable, so a test can write StandinProcess server(StandinOptions().withLatencyMs(300)).
    StandinOptions& withData(std::filesystem::path dir) {
        dataDir = std::move(dir);
        return *this;
    }
    StandinOptions& withPassword(std::string pw) {
        password = std::move(pw);
        return *this;
    }
    StandinOptions& withLatencyMs(int ms) {
        extraArgs.insert(extraArgs.end(), {"--latency-ms", std::to_string(ms)});
        return *this;
    }
    // "off", "login" or "force", as --encryption takes it.
    StandinOptions& withEncryption(const std::string& mode) {
        extraArgs.insert(extraArgs.end(), {"--encryption", mode});
        return *this;
    }
    // Appends to any SQL already given for the same database.
    StandinOptions& withSql(const std::string& database, const std::string& sql) {
        extraSql[database] += sql + "\n";
        return *this;
    }
};

struct LogEntry {
    enum class Kind { kLogin, kBatch };
    Kind kind = Kind::kBatch;
    std::string user;        // kLogin
    bool ok = false;         // kLogin: whether the login was accepted
    std::string database;    // kLogin: the database asked for; kBatch: the current database
    std::string sql;         // kBatch: the batch text
    std::string encryption;  // kLogin: what the PRELOGIN settled, "none", "login" or "session"
};

// Parses one line of the --log file; throws std::runtime_error if it is not one.
LogEntry parseLogLine(std::string_view line);

std::string freetdsConnectionString(std::uint16_t port, std::string_view password,
                                    std::string_view database);

std::string oleDbLogin(std::uint16_t port, std::string_view password);

class StandinProcess {
  public:
    explicit StandinProcess(StandinOptions options = {});
    ~StandinProcess();
    StandinProcess(const StandinProcess&) = delete;
    StandinProcess& operator=(const StandinProcess&) = delete;

    std::uint16_t port() const { return port_; }
    const std::string& password() const { return options_.password; }
    std::string connectionString(std::string_view database = "") const;
    std::string oleDbLogin() const;
    const std::filesystem::path& dataDir() const { return dataDir_; }
    const std::filesystem::path& logPath() const { return logPath_; }

    std::vector<std::string> logLines() const;
    std::vector<LogEntry> logEntries() const;
    std::vector<LogEntry> logins() const;
    std::vector<std::string> sqlTexts() const;

    int stop();

  private:
    // The running server: a child process in the native build, a launcher's in the Windows one.
    struct Child;

    StandinOptions options_;
    std::unique_ptr<Child> child_;
    std::filesystem::path dataDir_;
    std::filesystem::path logPath_;
    int exitStatus_ = -1;
    std::uint16_t port_ = 0;
};

class ClosedPort {
  public:
    ClosedPort();
    ~ClosedPort();
    ClosedPort(const ClosedPort&) = delete;
    ClosedPort& operator=(const ClosedPort&) = delete;

    std::uint16_t port() const { return port_; }

  private:
    std::intptr_t socket_ = -1;  // a descriptor, or a Windows SOCKET
    std::uint16_t port_ = 0;
};

}  // namespace kelvar::standin
