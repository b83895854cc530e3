// One client connection: the login exchange, then SQL batches until the client leaves.
//
// Two threads per connection: this one runs requests and writes every response; a reader thread
// owns the socket's input, so an ATTENTION is noticed while a batch runs (it interrupts SQLite
// and the latency wait) as well as when the connection is idle.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "catalog.h"
#include "login_messages.h"
#include "packet_io.h"
#include "query_log.h"
#include "socket.h"
#include "sql_session.h"
#include "tls.h"
#include "transport.h"

namespace kelvar::standin {

struct ServerSettings {
    const Catalog* catalog = nullptr;
    QueryLog* log = nullptr;
    std::string password;
    std::chrono::milliseconds latency{0};
    EncryptionMode encryption = EncryptionMode::kOff;
    const TlsContext* tls = nullptr;  // required unless encryption is kOff
};

class Session {
  public:
    Session(UniqueFd socket, std::uint16_t spid, const ServerSettings& settings);

    // Serves the connection until the client disconnects or stop() is called.
    void run();
    // Wakes a blocked run() from another thread; the socket is shut down, not closed.
    void stop();

  private:
    bool login();
    // The PRELOGIN exchange; returns what it settled, or nullopt when the client is refused.
    std::optional<Protection> negotiate(const Message& prelogin);
    void serveRequests();
    void readRequests();
    void runBatch(const Message& message, TokenWriter& out);
    void send(TokenWriter& out);
    // Sleeps for the configured latency; returns false if an ATTENTION cut it short.
    bool waitLatency();

    UniqueFd socket_;
    SocketTransport plain_;
    std::unique_ptr<TlsTransport> tls_;
    // What packets travel on: set during the login, before the reader thread starts.
    Transport* io_ = &plain_;
    std::uint16_t spid_;
    const ServerSettings& settings_;
    std::size_t packetSize_ = 4096;
    std::optional<SqlSession> sql_;

    std::mutex mutex_;  // guards queue_, closed_ and sql_ against the reader thread
    std::condition_variable wake_;
    std::deque<Message> queue_;
    bool closed_ = false;
    int pendingAttentions_ = 0;
};

}  // namespace kelvar::standin
