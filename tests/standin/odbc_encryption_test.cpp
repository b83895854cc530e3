// Encryption negotiated as SQL Server does: what each server mode settles with each FreeTDS
// level, what a relay between the two sees on the wire, and connections that break the TLS.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/time.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "login_messages.h"
#include "odbc_client.h"
#include "packet_io.h"
#include "recording_proxy.h"
#include "socket.h"
#include "standin_process.h"
#include "utf16.h"

namespace kelvar::standin {
namespace {

using test::OdbcClient;
using test::RecordingProxy;
using test::Rows;
using Data = std::vector<std::uint8_t>;

constexpr const char* kStatement = "select count(*) as n from za_identity";

// The harness's FreeTDS string for `server` with another Encryption level.
std::string atLevel(const StandinProcess& server, std::string_view level) {
    std::string cs = server.connectionString("zrsystem");
    const std::string stated = "Encryption=request;";
    cs.replace(cs.find(stated), stated.size(), "Encryption=" + std::string(level) + ";");
    return cs;
}

// Logs in, runs one statement and checks its answer.
::testing::AssertionResult logsInAndRuns(OdbcClient& client, const std::string& cs) {
    const auto login = client.connect(cs);
    if (!login.ok()) {
        return ::testing::AssertionFailure() << "login: " << login.describe();
    }
    Rows rows;
    const auto run = client.execute(kStatement, &rows);
    if (!run.ok() || rows.values.size() != 1 || rows.values[0][0] != test::Cell{std::int64_t{6}}) {
        return ::testing::AssertionFailure() << "statement: " << run.describe();
    }
    return ::testing::AssertionSuccess();
}

// --- each server mode against each client level ---------------------------------------------

struct LevelOutcome {
    const char* clientLevel;  // FreeTDS's Encryption=
    const char* settled;      // the log's "encryption", or nullptr when the login cannot happen
};

struct ModeCase {
    const char* mode;
    std::vector<LevelOutcome> outcomes;
};

void PrintTo(const ModeCase& row, std::ostream* out) {
    *out << row.mode;
}

class ServerMode : public ::testing::TestWithParam<ModeCase> {};

TEST_P(ServerMode, SettlesEachClientLevelAsSqlServerDoes) {
    const StandinProcess server(StandinOptions().withEncryption(GetParam().mode));
    std::size_t logged = 0;
    for (const auto& [level, settled] : GetParam().outcomes) {
        OdbcClient client;
        if (settled == nullptr) {
            EXPECT_FALSE(client.connect(atLevel(server, level)).ok()) << level;
            EXPECT_EQ(server.logins().size(), logged) << level << ": no LOGIN7 reaches the server";
            continue;
        }
        EXPECT_TRUE(logsInAndRuns(client, atLevel(server, level))) << level;
        const auto logins = server.logins();
        ASSERT_EQ(logins.size(), ++logged) << level;
        EXPECT_TRUE(logins.back().ok) << level;
        EXPECT_EQ(logins.back().encryption, settled) << level;
    }
    // Decrypted or not, the password never reaches the log.
    for (const auto& line : server.logLines()) {
        EXPECT_EQ(line.find(server.password()), std::string::npos) << line;
    }
}

INSTANTIATE_TEST_SUITE_P(
    StandinEncryption, ServerMode,
    ::testing::Values(
        // An old server without a certificate: only a client that insists fails.
        ModeCase{"off", {{"off", "none"}, {"request", "none"}, {"require", nullptr}}},
        ModeCase{"login", {{"off", "none"}, {"request", "login"}, {"require", "session"}}},
        // Force Encryption closes on a client that cannot encrypt.
        ModeCase{"force", {{"off", nullptr}, {"request", "session"}, {"require", "session"}}}),
    [](const auto& info) { return std::string(info.param.mode); });

// --- on the wire --------------------------------------------------------------------------------

bool contains(const Data& haystack, const Data& needle) {
    return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) !=
           haystack.end();
}

std::size_t packetLength(const Data& bytes, std::size_t at) {
    return (std::size_t{bytes.at(at + 2)} << 8) | bytes.at(at + 3);
}

// The client's second packet is a PRELOGIN whose payload starts a TLS handshake record.
bool clientHelloInPrelogin(const Data& sent) {
    if (sent.size() < 8 || sent[0] != packet_type::kPrelogin) {
        return false;
    }
    const std::size_t second = packetLength(sent, 0);
    return sent.size() > second + 10 && sent[second] == packet_type::kPrelogin &&
           sent[second + 8] == 0x16 && sent[second + 9] == 0x03;
}

struct WireCase {
    const char* mode;
    bool passwordVisible;
    bool clientHelloInPrelogin;
    bool statementVisible;
};

void PrintTo(const WireCase& row, std::ostream* out) {
    *out << row.mode;
}

class OnTheWire : public ::testing::TestWithParam<WireCase> {};

TEST_P(OnTheWire, ClientSendsThePasswordAndStatementsOnlyAsTheModeAllows) {
    const StandinProcess server(StandinOptions().withEncryption(GetParam().mode));
    Data sent;
    {
        const RecordingProxy proxy(server.port());
        OdbcClient client;
        ASSERT_TRUE(logsInAndRuns(
            client, freetdsConnectionString(proxy.port(), server.password(), "zrsystem")));
        sent = proxy.clientBytes();
    }
    EXPECT_EQ(contains(sent, scramblePassword(toUtf16le(server.password()))),
              GetParam().passwordVisible);
    EXPECT_EQ(clientHelloInPrelogin(sent), GetParam().clientHelloInPrelogin);
    EXPECT_EQ(contains(sent, toUtf16le(kStatement)), GetParam().statementVisible);
}

INSTANTIATE_TEST_SUITE_P(StandinEncryption, OnTheWire,
                         ::testing::Values(WireCase{"off", true, false, true},
                                           WireCase{"login", false, true, true},
                                           WireCase{"force", false, true, false}),
                         [](const auto& info) { return std::string(info.param.mode); });

// --- broken TLS ends one connection only -------------------------------------------------------

Data packet(std::uint8_t type, const Data& payload) {
    const std::size_t length = payload.size() + 8;
    Data out = {
        type, 0x01, static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length), 0, 0,
        1,    0};
    out.insert(out.end(), payload.begin(), payload.end());
    return out;
}

UniqueFd connectTo(std::uint16_t port) {
    UniqueFd fd = test::connectLoopback(port);
    if (!fd.valid()) {
        throw std::runtime_error("cannot connect to the stand-in");
    }
    // A safety net: a server that never closes fails the test instead of hanging it.
    const timeval patience{60, 0};
    ::setsockopt(fd.get(), SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof patience);
    return fd;
}

TEST(StandinEncryption, GarbageInsteadOfTlsEndsThatConnectionAndTheNextClientLogsIn) {
    const StandinProcess server;
    const UniqueFd raw = connectTo(server.port());
    // VERSION, then ENCRYPTION = OFF: "encrypt the login", as FreeTDS asks by default.
    sendAll(raw.get(),
            packet(packet_type::kPrelogin, {0x00, 0x00, 0x0B, 0x00, 0x06, 0x01, 0x00, 0x11, 0x00,
                                            0x01, 0xFF, 0x09, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}));
    std::array<std::uint8_t, 8> header{};
    ASSERT_TRUE(recvAll(raw.get(), header));
    Data reply(packetLength(Data(header.begin(), header.end()), 0) - 8);
    ASSERT_TRUE(recvAll(raw.get(), reply));
    ASSERT_EQ(clientEncryption(reply), encrypt::kOff);

    sendAll(raw.get(), packet(packet_type::kPrelogin, toUtf16le("no TLS record here")));
    // Whatever the server answers (an alert, perhaps), it then closes.
    std::array<std::uint8_t, 512> rest{};
    std::size_t n = 0;
    for (int reads = 0; reads < 100 && (n = recvSome(raw.get(), rest)) > 0; ++reads) {
    }
    EXPECT_EQ(n, 0u) << "the server keeps the connection open";

    OdbcClient client;
    EXPECT_TRUE(logsInAndRuns(client, server.connectionString("zrsystem")));
}

// Counts the PRELOGIN packets at the start of what the client sent.
std::size_t preloginPackets(const Data& sent) {
    std::size_t count = 0;
    for (std::size_t at = 0; at + 8 <= sent.size() && sent[at] == packet_type::kPrelogin;
         at += packetLength(sent, at)) {
        ++count;
    }
    return count;
}

TEST(StandinEncryption, ClientLeavingMidHandshakeEndsThatConnectionAndTheNextClientLogsIn) {
    const StandinProcess server;
    {
        // PRELOGIN, then the ClientHello pass; the client's second flight does not.
        const RecordingProxy proxy(server.port(),
                                   [](const Data& sent) { return preloginPackets(sent) >= 3; });
        OdbcClient client;
        EXPECT_FALSE(
            client.connect(freetdsConnectionString(proxy.port(), server.password(), "")).ok());
        EXPECT_EQ(preloginPackets(proxy.clientBytes()), 3u);
    }
    EXPECT_TRUE(server.logins().empty());

    OdbcClient client;
    EXPECT_TRUE(logsInAndRuns(client, server.connectionString("zrsystem")));
    ASSERT_EQ(server.logins().size(), 1u);
    EXPECT_EQ(server.logins()[0].encryption, "login");
}

}  // namespace
}  // namespace kelvar::standin
