#include "socket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace kelvar::standin {

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = other.release();
    }
    return *this;
}

UniqueFd::~UniqueFd() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

Listener listenTcp(const std::string& host, std::uint16_t port) {
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    if (::inet_pton(AF_INET, host.c_str(), &addr.sin_addr) != 1) {
        throw std::runtime_error("not an IPv4 address: " + host);
    }
    UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!fd.valid()) {
        throw std::runtime_error(std::string("socket: ") + std::strerror(errno));
    }
    const int one = 1;
    ::setsockopt(fd.get(), SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (::bind(fd.get(), reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
        throw std::runtime_error("bind " + host + ":" + std::to_string(port) + ": " +
                                 std::strerror(errno));
    }
    if (::listen(fd.get(), 64) != 0) {
        throw std::runtime_error(std::string("listen: ") + std::strerror(errno));
    }
    sockaddr_in bound{};
    socklen_t len = sizeof bound;
    ::getsockname(fd.get(), reinterpret_cast<sockaddr*>(&bound), &len);
    return Listener{std::move(fd), ntohs(bound.sin_port)};
}

void sendAll(int fd, std::span<const std::uint8_t> data) {
    while (!data.empty()) {
        const ssize_t n = ::send(fd, data.data(), data.size(), MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw std::runtime_error(std::string("send: ") + std::strerror(errno));
        }
        data = data.subspan(static_cast<std::size_t>(n));
    }
}

std::size_t recvSome(int fd, std::span<std::uint8_t> out) {
    for (;;) {
        const ssize_t n = ::recv(fd, out.data(), out.size(), 0);
        if (n >= 0) {
            return static_cast<std::size_t>(n);
        }
        if (errno != EINTR) {
            throw std::runtime_error(std::string("recv: ") + std::strerror(errno));
        }
    }
}

bool recvAll(int fd, std::span<std::uint8_t> out) {
    std::size_t got = 0;
    while (got < out.size()) {
        const std::size_t n = recvSome(fd, out.subspan(got));
        if (n == 0) {
            if (got == 0) {
                return false;
            }
            throw std::runtime_error("connection closed inside a packet");
        }
        got += n;
    }
    return true;
}

}  // namespace kelvar::standin
