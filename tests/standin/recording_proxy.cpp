#include "recording_proxy.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <stdexcept>

namespace kelvar::standin::test {
namespace {

// A safety net: a relay that hears nothing from either side for this long gives up.
constexpr int kIdleMs = 60'000;

}  // namespace

UniqueFd connectLoopback(std::uint16_t port) {
    UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (!fd.valid() ||
        ::connect(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        return UniqueFd();
    }
    return fd;
}

RecordingProxy::RecordingProxy(std::uint16_t serverPort, CutRule cutWhen)
    : serverPort_(serverPort), cutWhen_(std::move(cutWhen)), listener_(listenTcp("127.0.0.1", 0)) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe failed");
    }
    wakeRead_ = UniqueFd(fds[0]);
    wakeWrite_ = UniqueFd(fds[1]);
    thread_ = std::thread([this] { acceptLoop(); });
}

RecordingProxy::~RecordingProxy() {
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(wakeWrite_.get(), &byte, 1);
    thread_.join();
}

std::vector<std::uint8_t> RecordingProxy::clientBytes() const {
    std::lock_guard lock(mutex_);
    return sent_;
}

void RecordingProxy::acceptLoop() {
    for (;;) {
        pollfd fds[2] = {{listener_.fd.get(), POLLIN, 0}, {wakeRead_.get(), POLLIN, 0}};
        const int ready = ::poll(fds, 2, kIdleMs);
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0 || fds[1].revents != 0) {
            return;
        }
        UniqueFd client(::accept4(listener_.fd.get(), nullptr, nullptr, SOCK_CLOEXEC));
        if (client.valid()) {
            relay(client.get());
        }
    }
}

void RecordingProxy::relay(int client) {
    const UniqueFd server = connectLoopback(serverPort_);
    if (!server.valid()) {
        return;
    }
    std::vector<std::uint8_t> sentHere;
    std::array<std::uint8_t, 16 * 1024> buffer{};
    for (;;) {
        pollfd fds[3] = {
            {client, POLLIN, 0}, {server.get(), POLLIN, 0}, {wakeRead_.get(), POLLIN, 0}};
        const int ready = ::poll(fds, 3, kIdleMs);
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0 || fds[2].revents != 0) {
            return;
        }
        for (int side = 0; side < 2; ++side) {
            if (fds[side].revents == 0) {
                continue;
            }
            const ssize_t n = ::recv(fds[side].fd, buffer.data(), buffer.size(), 0);
            if (n <= 0) {
                return;  // either side closing ends the relay; the destructors close both
            }
            const std::span<const std::uint8_t> chunk(buffer.data(), static_cast<std::size_t>(n));
            if (side == 0) {
                sentHere.insert(sentHere.end(), chunk.begin(), chunk.end());
                {
                    std::lock_guard lock(mutex_);
                    sent_.insert(sent_.end(), chunk.begin(), chunk.end());
                }
                if (cutWhen_ && cutWhen_(sentHere)) {
                    return;
                }
            }
            try {
                sendAll(fds[1 - side].fd, chunk);
            } catch (const std::runtime_error&) {
                return;
            }
        }
    }
}

}  // namespace kelvar::standin::test
