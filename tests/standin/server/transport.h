// The byte stream a session's packets travel on: the socket itself, or TLS over it.
#pragma once

#include <cstdint>
#include <span>

#include "socket.h"

namespace kelvar::standin {

// One reader and one writer may use a transport at the same time (the session's two threads).
class Transport {
  public:
    virtual ~Transport() = default;

    // Fills `out` completely; returns false on an orderly close before the first byte, throws on a
    // close in the middle or on an error.
    virtual bool readAll(std::span<std::uint8_t> out) = 0;
    // Sends everything or throws.
    virtual void writeAll(std::span<const std::uint8_t> data) = 0;
};

// The socket, unencrypted. The session owns the descriptor.
class SocketTransport final : public Transport {
  public:
    explicit SocketTransport(int fd) : fd_(fd) {}

    bool readAll(std::span<std::uint8_t> out) override { return recvAll(fd_, out); }
    void writeAll(std::span<const std::uint8_t> data) override { sendAll(fd_, data); }

  private:
    int fd_;
};

}  // namespace kelvar::standin
