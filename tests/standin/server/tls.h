// TLS as SQL Server speaks it: the handshake wrapped in PRELOGIN packets, then raw TLS records.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>

#include "bytes.h"
#include "transport.h"

struct ssl_ctx_st;
struct ssl_st;
struct bio_st;

namespace kelvar::standin {

struct SslCtxFree {
    void operator()(ssl_ctx_st* ctx) const noexcept;
};
struct SslFree {
    void operator()(ssl_st* ssl) const noexcept;
};

// The server's credentials: a key and a self-signed certificate made when it starts, kept in
// memory only. Clients check no certificate unless told to, as with a fresh SQL Server.
class TlsContext {
  public:
    TlsContext();  // throws std::runtime_error with OpenSSL's reason

    ssl_ctx_st* get() const { return ctx_.get(); }

  private:
    std::unique_ptr<ssl_ctx_st, SslCtxFree> ctx_;
};

// The server side of one TLS session over a socket. OpenSSL works on two memory buffers under a
// mutex, and the socket is read and written outside it, so the session's reader and writer never
// use the SSL object at once and shutting the socket down still wakes a blocked reader.
class TlsTransport final : public Transport {
  public:
    TlsTransport(const TlsContext& context, int fd);

    // Runs the handshake with every flight inside PRELOGIN packets on `plain`, as the client
    // expects; afterwards the session's bytes travel as raw records on the socket.
    void acceptInsidePrelogin(Transport& plain, std::uint16_t spid);

    bool readAll(std::span<std::uint8_t> out) override;
    void writeAll(std::span<const std::uint8_t> data) override;

  private:
    // Callers hold mutex_.
    Bytes takeOutput();
    void feed(std::span<const std::uint8_t> records);

    int fd_;
    std::mutex mutex_;  // guards ssl_ and its two memory buffers
    std::unique_ptr<ssl_st, SslFree> ssl_;
    bio_st* input_ = nullptr;   // owned by ssl_: records received, not yet decrypted
    bio_st* output_ = nullptr;  // owned by ssl_: records made, not yet sent
};

}  // namespace kelvar::standin
