// The protocol around the statements: TDS versions, the database list, SQLite files as databases,
// requests other than SQL batches, an ATTENTION with nothing to cancel, and stopping on SIGINT.
// Where FreeTDS would hide what the server sends, the tests speak TDS over a plain socket.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sqlite3.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "odbc_client.h"
#include "standin_process.h"

extern char** environ;

namespace kelvar::standin {
namespace {

namespace fs = std::filesystem;
using test::Cell;
using test::OdbcClient;
using test::Rows;
using Data = std::vector<std::uint8_t>;

// --- A raw TDS client -------------------------------------------------------------------------

void putU16le(Data& out, std::size_t v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

void putU32le(Data& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<std::uint8_t>((v >> (8 * i)) & 0xFF));
    }
}

// ASCII only, which is all these tests send.
Data utf16(const std::string& ascii) {
    Data out;
    for (const char c : ascii) {
        putU16le(out, static_cast<unsigned char>(c));
    }
    return out;
}

struct Token {
    std::uint8_t type;
    Data body;  // after the length field, or the 12 bytes of a DONE
};

class RawTds {
  public:
    explicit RawTds(std::uint16_t port) : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (fd_ < 0 || ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            throw std::runtime_error("cannot connect to the stand-in");
        }
        // A safety net, not a measurement: a server that stays silent fails the test instead of
        // hanging it.
        const timeval patience{60, 0};
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof patience);
    }
    ~RawTds() { ::close(fd_); }
    RawTds(const RawTds&) = delete;
    RawTds& operator=(const RawTds&) = delete;

    // One message in one packet, end-of-message set.
    void send(std::uint8_t type, const Data& payload) {
        const std::size_t length = payload.size() + 8;
        Data packet = {type,
                       0x01,
                       static_cast<std::uint8_t>(length >> 8),
                       static_cast<std::uint8_t>(length & 0xFF),
                       0,
                       0,
                       1,
                       0};
        packet.insert(packet.end(), payload.begin(), payload.end());
        for (std::size_t sent = 0; sent < packet.size();) {
            const ssize_t n = ::send(fd_, packet.data() + sent, packet.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) {
                throw std::runtime_error("send failed");
            }
            sent += static_cast<std::size_t>(n);
        }
    }

    // The joined payload of the next server message, whose packets must be tabular results.
    Data receive() {
        Data payload;
        for (;;) {
            const Data header = readExactly(8);
            if (header[0] != 0x04) {
                throw std::runtime_error("not a tabular result: " + std::to_string(header[0]));
            }
            const std::size_t length = (std::size_t{header[2]} << 8) | header[3];
            const Data body = readExactly(length - 8);
            payload.insert(payload.end(), body.begin(), body.end());
            if (header[1] & 0x01) {
                return payload;
            }
        }
    }

    // PRELOGIN, then LOGIN7 as sa with this TDS version and password into `database`.
    std::vector<Token> login(std::uint32_t tdsVersion, const std::string& password,
                             const std::string& database) {
        // VERSION option only: token, offset, length, terminator, then the six bytes.
        send(0x12, {0x00, 0x00, 0x06, 0x00, 0x06, 0xFF, 0x0C, 0x00, 0x00, 0x00, 0x00, 0x00});
        receive();

        const std::vector<Data> fields = {utf16("raw-host"),
                                          utf16("sa"),
                                          scrambled(utf16(password)),
                                          utf16("raw-test"),
                                          {},
                                          {},
                                          {},
                                          {},
                                          utf16(database)};
        constexpr std::size_t kFixed = 94;
        Data fixed;
        putU32le(fixed, 0);  // total length, filled in below
        putU32le(fixed, tdsVersion);
        putU32le(fixed, 4096);  // packet size
        putU32le(fixed, 0);     // client program version
        putU32le(fixed, static_cast<std::uint32_t>(::getpid()));
        putU32le(fixed, 0);                                   // connection id
        fixed.insert(fixed.end(), {0xE0, 0x03, 0x00, 0x00});  // option and type flags
        putU32le(fixed, 0);                                   // time zone
        putU32le(fixed, 0x0409);                              // LCID
        Data variable;
        for (const Data& field : fields) {
            putU16le(fixed, kFixed + variable.size());
            putU16le(fixed, field.size() / 2);
            variable.insert(variable.end(), field.begin(), field.end());
        }
        fixed.insert(fixed.end(), 6, 0);  // client id
        for (int i = 0; i < 3; ++i) {     // SSPI, attach-file, change-password: empty
            putU16le(fixed, kFixed + variable.size());
            putU16le(fixed, 0);
        }
        putU32le(fixed, 0);  // long SSPI length
        if (fixed.size() != kFixed) {
            throw std::logic_error("LOGIN7 fixed part is " + std::to_string(fixed.size()));
        }
        Data message = fixed;
        message.insert(message.end(), variable.begin(), variable.end());
        const std::uint32_t total = static_cast<std::uint32_t>(message.size());
        for (int i = 0; i < 4; ++i) {
            message[i] = static_cast<std::uint8_t>((total >> (8 * i)) & 0xFF);
        }
        send(0x10, message);
        return tokens(receive());
    }

    // A SQL batch with the transaction-descriptor header clients of TDS 7.2 and later send.
    void sendBatch(const std::string& sql) {
        Data payload;
        putU32le(payload, 22);  // all headers
        putU32le(payload, 18);  // this header
        putU16le(payload, 2);   // transaction descriptor
        payload.insert(payload.end(), 8, 0);
        putU32le(payload, 1);  // outstanding requests
        const Data text = utf16(sql);
        payload.insert(payload.end(), text.begin(), text.end());
        send(0x01, payload);
    }

    // Splits a response made only of length-prefixed tokens and DONEs.
    static std::vector<Token> tokens(const Data& payload) {
        std::vector<Token> out;
        for (std::size_t at = 0; at < payload.size();) {
            const std::uint8_t type = payload[at++];
            std::size_t length = 12;
            if (type != 0xFD && type != 0xFE && type != 0xFF) {
                if (at + 2 > payload.size()) {
                    throw std::runtime_error("token cut short");
                }
                length = payload[at] | (std::size_t{payload[at + 1]} << 8);
                at += 2;
            }
            if (at + length > payload.size()) {
                throw std::runtime_error("token " + std::to_string(type) + " cut short");
            }
            out.push_back({type, Data(payload.begin() + at, payload.begin() + at + length)});
            at += length;
        }
        return out;
    }

  private:
    static Data scrambled(Data utf16) {
        for (auto& b : utf16) {
            b = static_cast<std::uint8_t>(((b << 4) | (b >> 4)) ^ 0xA5);
        }
        return utf16;
    }

    Data readExactly(std::size_t n) {
        Data out(n);
        for (std::size_t got = 0; got < n;) {
            const ssize_t r = ::recv(fd_, out.data() + got, n - got, 0);
            if (r <= 0) {
                throw std::runtime_error("no answer from the stand-in");
            }
            got += static_cast<std::size_t>(r);
        }
        return out;
    }

    int fd_;
};

std::uint16_t doneStatus(const Token& done) {
    return static_cast<std::uint16_t>(done.body[0] | (done.body[1] << 8));
}

std::int32_t errorNumber(const Token& error) {
    return static_cast<std::int32_t>(error.body[0] | (error.body[1] << 8) | (error.body[2] << 16) |
                                     (std::uint32_t{error.body[3]} << 24));
}

std::vector<std::uint8_t> typesOf(const std::vector<Token>& tokens) {
    std::vector<std::uint8_t> types;
    for (const auto& t : tokens) {
        types.push_back(t.type);
    }
    return types;
}

constexpr std::uint32_t kTds74 = 0x74000004;
constexpr std::uint8_t kError = 0xAA;
constexpr std::uint8_t kInfo = 0xAB;
constexpr std::uint8_t kLoginAck = 0xAD;
constexpr std::uint8_t kEnvChange = 0xE3;
constexpr std::uint8_t kDone = 0xFD;

// A logged-in raw connection to `server`, in zrsystem.
std::unique_ptr<RawTds> rawSession(const StandinProcess& server) {
    auto raw = std::make_unique<RawTds>(server.port());
    const auto reply = raw->login(kTds74, server.password(), "zrsystem");
    const auto types = typesOf(reply);
    if (std::find(types.begin(), types.end(), kLoginAck) == types.end()) {
        throw std::runtime_error("raw login refused");
    }
    return raw;
}

// The connection still answers: `use` changes the database and is acknowledged.
void expectStillServes(RawTds& raw) {
    raw.sendBatch("use [zrdata_001_2024]");
    const auto reply = RawTds::tokens(raw.receive());
    EXPECT_EQ(typesOf(reply), (std::vector<std::uint8_t>{kEnvChange, kInfo, kDone}));
}

// --- TDS versions -----------------------------------------------------------------------------

struct TdsVersionCase {
    const char* name;  // as FreeTDS's TDS_Version takes it
    std::uint32_t loginVersion;
    Data loginAckVersion;  // as LOGINACK carries it
};

void PrintTo(const TdsVersionCase& row, std::ostream* out) {
    *out << "TDS " << row.name;
}

class TdsVersion : public ::testing::TestWithParam<TdsVersionCase> {};

TEST_P(TdsVersion, LogsInAndReturnsEachWireType) {
    StandinProcess server;
    std::string cs = server.connectionString("zrdata_002_2024");
    const auto at = cs.find("TDS_Version=7.4;");
    ASSERT_NE(at, std::string::npos) << cs;
    cs.replace(at, 16, std::string("TDS_Version=") + GetParam().name + ";");

    OdbcClient client;
    const auto connected = client.connect(cs);
    ASSERT_TRUE(connected.ok()) << connected.describe();
    Rows rows;
    const auto selected = client.execute(
        "select max(id) as idf, 0.5 as half, N'中文' as words, null as missing from rdrecord",
        &rows);
    ASSERT_TRUE(selected.ok()) << selected.describe();
    ASSERT_EQ(rows.values.size(), 1U);
    EXPECT_EQ(rows.values[0],
              (std::vector<Cell>{std::int64_t{53}, 0.5, std::string("中文"), Cell{}}));
}

TEST_P(TdsVersion, LoginAckRepeatsTheVersionAskedFor) {
    StandinProcess server;
    RawTds raw(server.port());
    const auto reply = raw.login(GetParam().loginVersion, server.password(), "zrsystem");
    const auto ack = std::find_if(reply.begin(), reply.end(),
                                  [](const Token& t) { return t.type == kLoginAck; });
    ASSERT_NE(ack, reply.end());
    ASSERT_GE(ack->body.size(), 5U);
    EXPECT_EQ(Data(ack->body.begin() + 1, ack->body.begin() + 5), GetParam().loginAckVersion);
}

INSTANTIATE_TEST_SUITE_P(
    StandinProtocol, TdsVersion,
    ::testing::Values(TdsVersionCase{"7.2", 0x72090002, {0x72, 0x09, 0x00, 0x02}},
                      TdsVersionCase{"7.3", 0x730B0003, {0x73, 0x0B, 0x00, 0x03}},
                      TdsVersionCase{"7.4", 0x74000004, {0x74, 0x00, 0x00, 0x04}}),
    [](const auto& info) {
        std::string name = std::string("Tds") + info.param.name;
        name.erase(std::remove(name.begin(), name.end(), '.'), name.end());
        return name;
    });

TEST(StandinProtocol, RefusesTds71WithAnError) {
    StandinProcess server;
    RawTds raw(server.port());
    const auto reply = raw.login(0x71000001, server.password(), "zrsystem");
    ASSERT_EQ(typesOf(reply), (std::vector<std::uint8_t>{kError, kDone}));
    EXPECT_EQ(errorNumber(reply[0]), 4002);
    EXPECT_TRUE(doneStatus(reply[1]) & 0x0002);
}

// --- master..sysdatabases ---------------------------------------------------------------------

std::vector<std::string> sortedNames(const Rows& rows) {
    std::vector<std::string> names;
    for (const auto& row : rows.values) {
        names.push_back(std::get<std::string>(row.at(0)));
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(StandinProtocol, SysdatabasesAloneListsEveryDatabaseInAnySpelling) {
    const std::vector<std::string> expected = {
        "master",          "model",           "msdb",    "tempdb", "zrdata_001_2024",
        "zrdata_002_2024", "zrdata_003_2024", "zrsystem"};
    StandinProcess server;
    for (const char* current : {"master", "zrdata_003_2024"}) {
        OdbcClient client;
        ASSERT_TRUE(client.connect(server.connectionString(current)).ok());
        for (const char* table :
             {"master..sysdatabases", "MASTER..SYSDATABASES", "Master..SysDatabases",
              "master..[sysdatabases]", "[master]..[sysdatabases]", "[MASTER]..sysdatabases"}) {
            Rows rows;
            const auto result = client.execute(std::string("select name from ") + table, &rows);
            ASSERT_TRUE(result.ok()) << current << ": " << table << ": " << result.describe();
            EXPECT_EQ(sortedNames(rows), expected) << current << ": " << table;
        }
    }
}

// --- <name>.sqlite in the data folder ---------------------------------------------------------

class TempFolder {
  public:
    TempFolder() {
        const char* base = std::getenv("TMPDIR");
        std::string pattern =
            std::string(base != nullptr && *base != 0 ? base : "/tmp") + "/kelvar-proto-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("mkdtemp failed");
        }
        path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const fs::path& path() const { return path_; }

  private:
    fs::path path_;
};

void runSqlite(const fs::path& file, const char* sql) {
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open(file.c_str(), &raw);
    std::unique_ptr<sqlite3, decltype(&sqlite3_close)> db(raw, &sqlite3_close);
    char* error = nullptr;
    if (rc != SQLITE_OK || sqlite3_exec(db.get(), sql, nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string text = error != nullptr ? error : sqlite3_errmsg(db.get());
        sqlite3_free(error);
        throw std::runtime_error(text);
    }
}

std::string sqliteText(const fs::path& file, const char* sql) {
    sqlite3* raw = nullptr;
    sqlite3_open_v2(file.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
    std::unique_ptr<sqlite3, decltype(&sqlite3_close)> db(raw, &sqlite3_close);
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db.get(), sql, -1, &statement, nullptr) != SQLITE_OK) {
        return sqlite3_errmsg(db.get());
    }
    std::string text;
    if (sqlite3_step(statement) == SQLITE_ROW) {
        text = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
    }
    sqlite3_finalize(statement);
    return text;
}

TEST(StandinProtocol, ServesASqliteFileAsADatabaseAndNeverWritesIt) {
    TempFolder data;
    runSqlite(data.path() / "Ledger_2024.sqlite",
              "CREATE TABLE notes(id INTEGER, body TEXT);"
              "INSERT INTO notes VALUES (7, '第七'), (9, 'ninth');");
    StandinProcess server(StandinOptions().withData(data.path()));

    OdbcClient client;
    const auto connected = client.connect(server.connectionString("ledger_2024"));
    ASSERT_TRUE(connected.ok()) << connected.describe();
    EXPECT_EQ(client.catalog(), "Ledger_2024");
    Rows rows;
    ASSERT_TRUE(client.execute("select id, body from notes order by id", &rows).ok());
    EXPECT_EQ(rows.values,
              (std::vector<std::vector<Cell>>{{std::int64_t{7}, std::string("第七")},
                                              {std::int64_t{9}, std::string("ninth")}}));
    ASSERT_TRUE(client.execute("update notes set body = 'changed' where id = 7").ok());
    Rows listed;
    ASSERT_TRUE(client.execute("select name from master..sysdatabases", &listed).ok());
    EXPECT_EQ(sortedNames(listed),
              (std::vector<std::string>{"Ledger_2024", "master", "model", "msdb", "tempdb"}));

    EXPECT_EQ(server.stop(), 0);
    EXPECT_EQ(
        sqliteText(server.dataDir() / "Ledger_2024.sqlite", "select body from notes where id = 7"),
        "第七");
}

// --- Requests other than SQL batches, and ATTENTION -------------------------------------------

struct UnsupportedRequest {
    const char* name;
    std::uint8_t type;
    Data payload;
};

void PrintTo(const UnsupportedRequest& row, std::ostream* out) {
    *out << row.name;
}

class UnsupportedRequestType : public ::testing::TestWithParam<UnsupportedRequest> {};

TEST_P(UnsupportedRequestType, GetsAnErrorAndDoneNotSilence) {
    StandinProcess server;
    const auto raw = rawSession(server);
    raw->send(GetParam().type, GetParam().payload);
    const auto reply = RawTds::tokens(raw->receive());
    ASSERT_EQ(typesOf(reply), (std::vector<std::uint8_t>{kError, kDone}));
    EXPECT_EQ(errorNumber(reply[0]), 50000);
    EXPECT_TRUE(doneStatus(reply[1]) & 0x0002) << "no error bit in DONE";
    expectStillServes(*raw);
}

// A transaction-manager request as FreeTDS sends it for SQLEndTran: all headers, then
// TM_COMMIT_XACT (7) with no name and no new transaction.
const Data kCommitRequest = {22, 0, 0, 0, 18, 0, 0, 0, 2, 0, 0, 0, 0, 0,
                             0,  0, 0, 0, 0,  0, 1, 0, 0, 0, 7, 0, 0, 0};

INSTANTIATE_TEST_SUITE_P(StandinProtocol, UnsupportedRequestType,
                         ::testing::Values(UnsupportedRequest{"TransactionManager", 0x0E,
                                                              kCommitRequest},
                                           UnsupportedRequest{"BulkLoad", 0x07, {0xFD, 0, 0}}),
                         [](const auto& info) { return std::string(info.param.name); });

// Turning autocommit off makes FreeTDS begin a transaction with a transaction-manager request.
TEST(StandinProtocol, TransactionThroughOdbcGetsAnErrorAndTheConnectionStaysUsable) {
    StandinProcess server;
    OdbcClient client;
    ASSERT_TRUE(client.connect(server.connectionString("zrsystem")).ok());
    const auto manual = client.setAutocommit(false);
    EXPECT_FALSE(manual.ok());
    EXPECT_TRUE(manual.hasNative(50000)) << manual.describe();
    Rows rows;
    ASSERT_TRUE(client.execute("select count(*) as n from za_identity", &rows).ok());
    EXPECT_EQ(rows.values.at(0).at(0), Cell{std::int64_t{6}});
}

TEST(StandinProtocol, AttentionWhileIdleIsAcknowledged) {
    StandinProcess server;
    const auto raw = rawSession(server);
    raw->send(0x06, {});
    const auto reply = RawTds::tokens(raw->receive());
    ASSERT_EQ(typesOf(reply), std::vector<std::uint8_t>{kDone});
    EXPECT_TRUE(doneStatus(reply[0]) & 0x0020) << "no attention bit in DONE";
    expectStillServes(*raw);
}

// --- Stopping ---------------------------------------------------------------------------------

TEST(StandinProgram, ExitsCleanlyOnSigint) {
    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    std::vector<std::string> args = {
        KELVAR_STANDIN_PATH, "--data", KELVAR_SAMPLE_DIR, "--password", "pw-sigint", "--port", "0"};
    std::vector<char*> argv;
    for (auto& a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int spawned =
        posix_spawn(&pid, KELVAR_STANDIN_PATH, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    ASSERT_EQ(spawned, 0);

    // "listening on 127.0.0.1:PORT"
    std::string line;
    char c = 0;
    while (::read(out[0], &c, 1) == 1 && c != '\n') {
        line += c;
    }
    ::close(out[0]);
    const auto colon = line.rfind(':');
    if (colon == std::string::npos) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        FAIL() << "no port reported: " << line;
    }
    {
        RawTds raw(static_cast<std::uint16_t>(std::stoi(line.substr(colon + 1))));
        const auto reply = raw.login(kTds74, "pw-sigint", "zrsystem");
        EXPECT_EQ(typesOf(reply).back(), kDone);
        RawTds stillConnected(static_cast<std::uint16_t>(std::stoi(line.substr(colon + 1))));
        stillConnected.login(kTds74, "pw-sigint", "");

        ASSERT_EQ(::kill(pid, SIGINT), 0);
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }
}

}  // namespace
}  // namespace kelvar::standin
