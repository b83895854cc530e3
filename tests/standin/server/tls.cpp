#include "tls.h"

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

#include <array>
#include <optional>
#include <stdexcept>
#include <string_view>

#include "packet_io.h"

namespace kelvar::standin {

void SslCtxFree::operator()(SSL_CTX* ctx) const noexcept {
    SSL_CTX_free(ctx);
}

void SslFree::operator()(SSL* ssl) const noexcept {
    SSL_free(ssl);
}

namespace {

struct KeyFree {
    void operator()(EVP_PKEY* key) const noexcept { EVP_PKEY_free(key); }
};
struct CertificateFree {
    void operator()(X509* certificate) const noexcept { X509_free(certificate); }
};
struct BioFree {
    void operator()(BIO* bio) const noexcept { BIO_free(bio); }
};

// The handshake's flights go out in packets of the size every client starts with.
constexpr std::size_t kHandshakePacketSize = 4096;
// A handshake takes two flights from the client; more means a confused or hostile one.
constexpr int kMaxHandshakeFlights = 8;
// A TLS record: type, version and length, then at most 2^14 bytes plus expansion.
constexpr std::size_t kRecordHeaderSize = 5;
constexpr std::size_t kMaxRecordBody = 16384 + 2048;
constexpr long kCertificateDays = 365;

// `what` and the oldest queued OpenSSL error; empties this thread's error queue.
std::string openSslError(std::string_view what) {
    std::string text(what);
    if (const unsigned long code = ERR_get_error(); code != 0) {
        std::array<char, 256> reason{};
        ERR_error_string_n(code, reason.data(), reason.size());
        text += ": ";
        text += reason.data();
    }
    ERR_clear_error();
    return text;
}

std::unique_ptr<X509, CertificateFree> selfSignedCertificate(EVP_PKEY* key) {
    std::unique_ptr<X509, CertificateFree> certificate(X509_new());
    if (!certificate) {
        return nullptr;
    }
    X509* c = certificate.get();
    const auto* commonName = reinterpret_cast<const unsigned char*>("KELVAR-STANDIN");
    X509_NAME* name = X509_get_subject_name(c);
    const bool made =
        X509_set_version(c, X509_VERSION_3) == 1 &&
        ASN1_INTEGER_set(X509_get_serialNumber(c), 1) == 1 &&
        X509_gmtime_adj(X509_getm_notBefore(c), -3600) != nullptr &&
        X509_gmtime_adj(X509_getm_notAfter(c), kCertificateDays * 24 * 3600) != nullptr &&
        X509_set_pubkey(c, key) == 1 &&
        X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, commonName, -1, -1, 0) == 1 &&
        X509_set_issuer_name(c, name) == 1 && X509_sign(c, key, EVP_sha256()) > 0;
    return made ? std::move(certificate) : nullptr;
}

}  // namespace

TlsContext::TlsContext() : ctx_(SSL_CTX_new(TLS_server_method())) {
    // An EC key: made in a millisecond, where RSA would slow every test's start-up.
    const std::unique_ptr<EVP_PKEY, KeyFree> key(EVP_EC_gen("P-256"));
    if (!ctx_ || !key) {
        throw std::runtime_error(openSslError("cannot make the TLS key"));
    }
    const auto certificate = selfSignedCertificate(key.get());
    if (!certificate) {
        throw std::runtime_error(openSslError("cannot make the TLS certificate"));
    }
    SSL_CTX* ctx = ctx_.get();
    // TLS 1.2 at most: FreeTDS 1.3 leaves the client's last TLS 1.3 handshake message in its
    // PRELOGIN buffer and sends it in front of the LOGIN7, and TLS 1.3 tickets would reach a
    // client that already reads raw records.
    const bool ready = SSL_CTX_set_min_proto_version(ctx, TLS1_2_VERSION) == 1 &&
                       SSL_CTX_set_max_proto_version(ctx, TLS1_2_VERSION) == 1 &&
                       SSL_CTX_set_num_tickets(ctx, 0) == 1 &&
                       SSL_CTX_use_certificate(ctx, certificate.get()) == 1 &&
                       SSL_CTX_use_PrivateKey(ctx, key.get()) == 1;
    if (!ready) {
        throw std::runtime_error(openSslError("cannot set up TLS"));
    }
    // No tickets at all: a client that reads raw records after the handshake must get none.
    SSL_CTX_set_options(ctx, SSL_OP_NO_RENEGOTIATION | SSL_OP_NO_TICKET);
    SSL_CTX_set_session_cache_mode(ctx, SSL_SESS_CACHE_OFF);
}

TlsTransport::TlsTransport(const TlsContext& context, int fd)
    : fd_(fd), ssl_(SSL_new(context.get())) {
    std::unique_ptr<BIO, BioFree> input(BIO_new(BIO_s_mem()));
    std::unique_ptr<BIO, BioFree> output(BIO_new(BIO_s_mem()));
    if (!ssl_ || !input || !output) {
        throw std::runtime_error(openSslError("cannot start a TLS session"));
    }
    input_ = input.release();
    output_ = output.release();
    SSL_set_bio(ssl_.get(), input_, output_);
    SSL_set_accept_state(ssl_.get());
}

Bytes TlsTransport::takeOutput() {
    Bytes out(BIO_ctrl_pending(output_));
    if (!out.empty()) {
        const int n = BIO_read(output_, out.data(), static_cast<int>(out.size()));
        out.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    }
    return out;
}

void TlsTransport::feed(std::span<const std::uint8_t> records) {
    if (!records.empty() && BIO_write(input_, records.data(), static_cast<int>(records.size())) !=
                                static_cast<int>(records.size())) {
        throw std::runtime_error(openSslError("cannot buffer TLS records"));
    }
}

void TlsTransport::acceptInsidePrelogin(Transport& plain, std::uint16_t spid) {
    for (int flight = 0; flight < kMaxHandshakeFlights; ++flight) {
        int rc = 0;
        int error = SSL_ERROR_NONE;
        Bytes reply;
        {
            std::lock_guard lock(mutex_);
            ERR_clear_error();
            rc = SSL_do_handshake(ssl_.get());
            error = SSL_get_error(ssl_.get(), rc);
            reply = takeOutput();
        }
        if (!reply.empty()) {
            writeMessage(plain, packet_type::kPrelogin, reply, kHandshakePacketSize, spid);
        }
        if (rc == 1) {
            return;
        }
        if (error != SSL_ERROR_WANT_READ) {
            throw ProtocolError(openSslError("TLS handshake failed"));
        }
        const std::optional<Message> message = readMessage(plain);
        if (!message) {
            throw ProtocolError("the client left during the TLS handshake");
        }
        if (message->type != packet_type::kPrelogin) {
            throw ProtocolError("TLS handshake outside PRELOGIN packets");
        }
        std::lock_guard lock(mutex_);
        feed(message->payload);
    }
    throw ProtocolError("TLS handshake does not end");
}

bool TlsTransport::readAll(std::span<std::uint8_t> out) {
    std::size_t got = 0;
    while (got < out.size()) {
        {
            std::lock_guard lock(mutex_);
            ERR_clear_error();
            std::size_t n = 0;
            const int rc = SSL_read_ex(ssl_.get(), out.data() + got, out.size() - got, &n);
            if (rc == 1) {
                got += n;
                continue;
            }
            const int error = SSL_get_error(ssl_.get(), rc);
            if (error == SSL_ERROR_ZERO_RETURN && got == 0) {
                return false;  // close_notify between messages
            }
            if (error != SSL_ERROR_WANT_READ) {
                throw ProtocolError(openSslError("TLS read failed"));
            }
        }
        // Whole records only, so nothing after the last one is taken off the socket: when only
        // the login is encrypted, plain TDS follows the LOGIN7's records.
        Bytes record(kRecordHeaderSize);
        if (!recvAll(fd_, record)) {
            if (got == 0) {
                return false;
            }
            throw ProtocolError("connection closed inside a TLS message");
        }
        const std::size_t length = (static_cast<std::size_t>(record[3]) << 8) | record[4];
        if (length > kMaxRecordBody) {
            throw ProtocolError("TLS record too long");
        }
        record.resize(kRecordHeaderSize + length);
        if (length > 0 && !recvAll(fd_, std::span(record).subspan(kRecordHeaderSize))) {
            throw ProtocolError("connection closed inside a TLS record");
        }
        std::lock_guard lock(mutex_);
        feed(record);
    }
    return true;
}

void TlsTransport::writeAll(std::span<const std::uint8_t> data) {
    Bytes records;
    {
        std::lock_guard lock(mutex_);
        ERR_clear_error();
        std::size_t written = 0;
        if (SSL_write_ex(ssl_.get(), data.data(), data.size(), &written) != 1 ||
            written != data.size()) {
            throw ProtocolError(openSslError("TLS write failed"));
        }
        records = takeOutput();
    }
    // Only the session's writer sends, so the records leave in the order they were made.
    sendAll(fd_, records);
}

}  // namespace kelvar::standin
