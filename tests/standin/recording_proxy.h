// A loopback relay between clients and a stand-in that keeps every byte the clients sent, so a
// test sees what travels on the wire rather than what the server says it received.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "socket.h"

namespace kelvar::standin::test {

// A TCP connection to 127.0.0.1:port; not valid() if refused.
UniqueFd connectLoopback(std::uint16_t port);

class RecordingProxy {
  public:
    // Given the client's bytes of the current connection so far, says whether to cut the
    // connection (both sides closed) instead of passing on what just arrived.
    using CutRule = std::function<bool(const std::vector<std::uint8_t>& sent)>;

    explicit RecordingProxy(std::uint16_t serverPort, CutRule cutWhen = {});
    ~RecordingProxy();  // stops relaying and waits for its thread
    RecordingProxy(const RecordingProxy&) = delete;
    RecordingProxy& operator=(const RecordingProxy&) = delete;

    std::uint16_t port() const { return listener_.port; }
    // Everything clients sent, connection after connection.
    std::vector<std::uint8_t> clientBytes() const;

  private:
    void acceptLoop();
    void relay(int client);

    std::uint16_t serverPort_;
    CutRule cutWhen_;
    Listener listener_;
    UniqueFd wakeRead_;
    UniqueFd wakeWrite_;
    mutable std::mutex mutex_;  // guards sent_
    std::vector<std::uint8_t> sent_;
    std::thread thread_;
};

}  // namespace kelvar::standin::test
