// The Windows build's harness: each StandinProcess is a server that kelvar-standin-launcher, a
// native program outside Wine, runs for it (see launcher_protocol.h).
#include <winsock2.h>
#include <ws2tcpip.h>

#include <fstream>
#include <stdexcept>
#include <string>

#include "launcher_protocol.h"
#include "standin_process.h"

namespace kelvar::standin {
namespace {

// Wine shows the host's root directory as drive Z:.
std::filesystem::path wineView(const std::string& hostPath) {
    return std::filesystem::path("Z:" + hostPath);
}

class Winsock {
  public:
    Winsock() {
        WSADATA data;
        if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
            throw std::runtime_error("WSAStartup failed");
        }
    }
    ~Winsock() { WSACleanup(); }
    Winsock(const Winsock&) = delete;
    Winsock& operator=(const Winsock&) = delete;
};

void startWinsock() {
    static const Winsock winsock;
}

sockaddr_in loopback(std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    return address;
}

std::uint16_t launcherPort() {
    std::ifstream in(wineView(KELVAR_LAUNCHER_PORT_FILE));
    unsigned port = 0;
    if (!(in >> port) || port == 0 || port > 65535) {
        throw std::runtime_error(
            "kelvar-standin-launcher is not running (no port in " +
            std::string(KELVAR_LAUNCHER_PORT_FILE) +
            "); run the tests with ctest, whose fixture standin_launcher starts it");
    }
    return static_cast<std::uint16_t>(port);
}

void sendAll(SOCKET socket, const std::string& bytes) {
    for (std::size_t sent = 0; sent < bytes.size();) {
        const int n = ::send(socket, bytes.data() + sent, static_cast<int>(bytes.size() - sent), 0);
        if (n <= 0) {
            throw std::runtime_error("lost the connection to kelvar-standin-launcher");
        }
        sent += static_cast<std::size_t>(n);
    }
}

launcher::FieldReader readerOf(SOCKET socket) {
    return launcher::FieldReader([socket](char* buffer, std::size_t size) -> std::size_t {
        const int n = ::recv(socket, buffer, static_cast<int>(size), 0);
        return n > 0 ? static_cast<std::size_t>(n) : 0;
    });
}

std::string expectField(launcher::FieldReader& reader, std::string_view name) {
    const auto field = reader.next();
    if (!field) {
        throw std::runtime_error("kelvar-standin-launcher closed the connection");
    }
    if (field->name == "error") {
        throw std::runtime_error(field->value);
    }
    if (field->name != name) {
        throw std::runtime_error("kelvar-standin-launcher answered " + field->name + ", not " +
                                 std::string(name));
    }
    return field->value;
}

}  // namespace

struct StandinProcess::Child {
    SOCKET socket = INVALID_SOCKET;
    ~Child() {
        if (socket != INVALID_SOCKET) {
            ::closesocket(socket);
        }
    }
};

StandinProcess::StandinProcess(StandinOptions options)
    : options_(std::move(options)), child_(std::make_unique<Child>()) {
    startWinsock();
    const sockaddr_in address = loopback(launcherPort());
    child_->socket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (child_->socket == INVALID_SOCKET ||
        ::connect(child_->socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) !=
            0) {
        throw std::runtime_error("cannot reach kelvar-standin-launcher on 127.0.0.1:" +
                                 std::to_string(ntohs(address.sin_port)) + " (Winsock error " +
                                 std::to_string(WSAGetLastError()) + ")");
    }
    std::string request = launcher::encode("data", options_.dataDir.string()) +
                          launcher::encode("password", options_.password);
    for (const auto& arg : options_.extraArgs) {
        request += launcher::encode("arg", arg);
    }
    for (const auto& [database, sql] : options_.extraSql) {
        request += launcher::encode("sql", database + "\n" + sql);
    }
    sendAll(child_->socket, request + launcher::encode("start"));

    launcher::FieldReader reader = readerOf(child_->socket);
    port_ = static_cast<std::uint16_t>(std::stoul(expectField(reader, "port")));
    logPath_ = wineView(expectField(reader, "log"));
    dataDir_ = wineView(expectField(reader, "data"));
}

// Closing the connection is enough: the launcher stops the server when it ends.
StandinProcess::~StandinProcess() = default;

int StandinProcess::stop() {
    if (child_->socket != INVALID_SOCKET) {
        sendAll(child_->socket, launcher::encode("stop"));
        launcher::FieldReader reader = readerOf(child_->socket);
        exitStatus_ = std::stoi(expectField(reader, "exit"));
        ::closesocket(child_->socket);
        child_->socket = INVALID_SOCKET;
    }
    return exitStatus_;
}

ClosedPort::ClosedPort() {
    startWinsock();
    const SOCKET bound = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = loopback(0);
    int length = sizeof address;
    if (bound == INVALID_SOCKET ||
        ::bind(bound, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(bound, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (bound != INVALID_SOCKET) {
            ::closesocket(bound);
        }
        throw std::runtime_error("cannot reserve a loopback port");
    }
    socket_ = static_cast<std::intptr_t>(bound);
    port_ = ntohs(address.sin_port);
}

ClosedPort::~ClosedPort() {
    ::closesocket(static_cast<SOCKET>(socket_));
}

}  // namespace kelvar::standin
