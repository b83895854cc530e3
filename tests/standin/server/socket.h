// Owned file descriptors and the few socket calls the server makes.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace kelvar::standin {

class UniqueFd {
  public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd();

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

  private:
    int fd_ = -1;
};

struct Listener {
    UniqueFd fd;
    std::uint16_t port = 0;  // the bound port, also when 0 was asked for
};

// Binds and listens on host:port (an IPv4 address); throws std::runtime_error with the reason.
Listener listenTcp(const std::string& host, std::uint16_t port);

// Sends everything or throws; never raises SIGPIPE.
void sendAll(int fd, std::span<const std::uint8_t> data);

// Fills `out` completely; returns false on an orderly close before the first byte, throws on a
// close in the middle (a truncated packet) or on an error.
bool recvAll(int fd, std::span<std::uint8_t> out);

// Reads what is there, at least one byte; returns 0 on an orderly close, throws on an error.
std::size_t recvSome(int fd, std::span<std::uint8_t> out);

}  // namespace kelvar::standin
