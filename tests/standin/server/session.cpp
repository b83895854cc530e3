#include "session.h"

#include <sys/socket.h>

#include <stdexcept>
#include <thread>

#include "login_messages.h"
#include "utf16.h"

namespace kelvar::standin {
namespace {

constexpr const char* kServerName = "KELVAR-STANDIN";
constexpr std::uint32_t kTds72 = 0x72090002;
constexpr std::uint32_t kTds73 = 0x730B0003;
constexpr std::uint32_t kTds74 = 0x74000004;

void loginFailed(TokenWriter& out, const Login7& login) {
    out.error({18456, 1, 14, "Login failed for user '" + login.userName + "'."});
    out.done(done_status::kError, 0);
}

// The SQL text of a batch follows the ALL_HEADERS block, whose first field is its own length.
std::string batchText(const Bytes& payload) {
    ByteReader r(payload);
    const std::uint32_t headers = r.u32le();
    if (headers < 4 || headers > payload.size()) {
        throw ProtocolError("bad ALL_HEADERS length");
    }
    return fromUtf16le(std::span(payload).subspan(headers));
}

}  // namespace

Session::Session(UniqueFd socket, std::uint16_t spid, const ServerSettings& settings)
    : socket_(std::move(socket)), plain_(socket_.get()), spid_(spid), settings_(settings) {}

void Session::stop() {
    {
        // Also ends a latency wait during the login, before any reader thread could notice.
        std::lock_guard lock(mutex_);
        closed_ = true;
        wake_.notify_all();
    }
    ::shutdown(socket_.get(), SHUT_RDWR);
}

void Session::send(TokenWriter& out) {
    writeMessage(*io_, packet_type::kTabularResult, out.take(), packetSize_, spid_);
}

void Session::run() {
    try {
        if (login()) {
            serveRequests();
        }
    } catch (const std::exception&) {
        // A broken or confused client ends its own session only; the server keeps running.
    }
    ::shutdown(socket_.get(), SHUT_RDWR);
}

std::optional<Protection> Session::negotiate(const Message& prelogin) {
    const auto answer = answerEncryption(settings_.encryption, clientEncryption(prelogin.payload));
    if (!answer) {
        // As SQL Server with Force Encryption: it says encryption is required, then closes.
        writeMessage(plain_, packet_type::kTabularResult, preloginReply(encrypt::kRequired),
                     packetSize_, spid_);
        return std::nullopt;
    }
    waitLatency();
    writeMessage(plain_, packet_type::kTabularResult, preloginReply(answer->reply), packetSize_,
                 spid_);
    if (answer->protection != Protection::kNone) {
        if (settings_.tls == nullptr) {
            throw std::logic_error("encryption negotiated without TLS credentials");
        }
        tls_ = std::make_unique<TlsTransport>(*settings_.tls, socket_.get());
        tls_->acceptInsidePrelogin(plain_, spid_);
        io_ = tls_.get();
    }
    return answer->protection;
}

bool Session::login() {
    std::optional<Message> message = readMessage(plain_);
    Protection protection = Protection::kNone;
    if (message && message->type == packet_type::kPrelogin) {
        const std::optional<Protection> settled = negotiate(*message);
        if (!settled) {
            return false;  // Force Encryption and a client that cannot encrypt: SQL Server closes
        }
        protection = *settled;
        message = readMessage(*io_);
        if (protection == Protection::kLogin) {
            // Only the LOGIN7 travels inside TLS. The session is dropped without a close_notify,
            // as the client drops its own.
            io_ = &plain_;
            tls_.reset();
        }
    } else if (settings_.encryption == EncryptionMode::kForce) {
        return false;  // no PRELOGIN, so no way to encrypt
    }
    if (!message || message->type != packet_type::kLogin7) {
        return false;  // a pre-TDS-7 login, TLS bytes or garbage: closing is the only answer
    }
    const Login7 login = decodeLogin7(message->payload);
    waitLatency();
    TokenWriter out(kServerName);
    const std::string database = login.database.empty() ? "master" : login.database;

    if (login.tdsVersion != kTds72 && login.tdsVersion != kTds73 && login.tdsVersion != kTds74) {
        // Older versions use other encodings of DONE, ERROR and COLMETADATA; refuse clearly.
        out.error({4002, 1, 16, "This server speaks TDS 7.2 to 7.4 only."});
        out.done(done_status::kError, 0);
        send(out);
        return false;
    }
    if (!equalsIgnoreCase(login.userName, "sa") || login.password != settings_.password) {
        settings_.log->login(login.userName, database, false, protectionName(protection));
        loginFailed(out, login);
        send(out);
        return false;
    }
    const std::optional<std::string> canonical = settings_.catalog->canonicalName(database);
    if (!canonical) {
        settings_.log->login(login.userName, database, false, protectionName(protection));
        out.error({4060, 1, 11,
                   "Cannot open database \"" + database +
                       "\" requested by the login. The login failed."});
        loginFailed(out, login);
        send(out);
        return false;
    }
    sql_.emplace(*settings_.catalog, *canonical);
    settings_.log->login(login.userName, *canonical, true, protectionName(protection));

    if (login.packetSize >= 512 && login.packetSize <= 32767) {
        packetSize_ = login.packetSize;
    }
    out.envChange(env_type::kDatabase, *canonical, "master");
    out.info({5701, 2, 0, "Changed database context to '" + *canonical + "'."});
    out.collationChange();
    out.envChange(env_type::kLanguage, "us_english", "");
    out.info({5703, 1, 0, "Changed language setting to us_english."});
    out.loginAck(login.tdsVersion);
    out.envChange(env_type::kPacketSize, std::to_string(packetSize_), "4096");
    out.done(done_status::kFinal, 0);
    send(out);
    return true;
}

void Session::readRequests() {
    try {
        while (std::optional<Message> message = readMessage(*io_)) {
            std::lock_guard lock(mutex_);
            if (message->type == packet_type::kAttention) {
                ++pendingAttentions_;
                sql_->interrupt();
            }
            queue_.push_back(std::move(*message));
            wake_.notify_all();
        }
    } catch (const std::exception&) {
        // Treated as a disconnect below.
    }
    std::lock_guard lock(mutex_);
    closed_ = true;
    wake_.notify_all();
}

bool Session::waitLatency() {
    if (settings_.latency.count() == 0) {
        return true;
    }
    std::unique_lock lock(mutex_);
    return !wake_.wait_for(lock, settings_.latency,
                           [this] { return pendingAttentions_ > 0 || closed_; });
}

void Session::serveRequests() {
    std::thread reader([this] { readRequests(); });
    try {
        for (;;) {
            Message message;
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [this] { return !queue_.empty() || closed_; });
                if (queue_.empty()) {
                    break;
                }
                message = std::move(queue_.front());
                queue_.pop_front();
            }
            TokenWriter out(kServerName);
            if (message.type == packet_type::kAttention) {
                {
                    std::lock_guard lock(mutex_);
                    --pendingAttentions_;
                }
                out.done(done_status::kAttention, 0);
                send(out);
                continue;
            }
            if (!waitLatency()) {
                continue;  // cancelled before it started; the ATTENTION is next in the queue
            }
            if (message.type == packet_type::kSqlBatch) {
                runBatch(message, out);
            } else {
                out.error({50000, 1, 16,
                           "The stand-in runs plain SQL batches only; request type " +
                               std::to_string(message.type) + " is not supported."});
                out.done(done_status::kError, 0);
            }
            bool cancelled = false;
            {
                std::lock_guard lock(mutex_);
                cancelled = pendingAttentions_ > 0;
            }
            if (!cancelled) {
                send(out);
            }
        }
    } catch (const std::exception&) {
        // The client went away mid-response; fall through to stop the reader.
    }
    ::shutdown(socket_.get(), SHUT_RDWR);
    reader.join();
}

void Session::runBatch(const Message& message, TokenWriter& out) {
    const std::string text = batchText(message.payload);
    settings_.log->batch(sql_->database(), text);
    const std::vector<std::string> parts = splitBatch(text);
    if (parts.empty()) {
        out.done(done_status::kFinal, 0);
        return;
    }
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const std::uint16_t more = i + 1 < parts.size() ? done_status::kMore : 0;
        const Statement statement = rewriteStatement(parts[i], sql_->database());
        switch (statement.kind) {
            case StatementKind::kUse: {
                const std::string old = sql_->database();
                if (!sql_->use(statement.database)) {
                    out.error({911, 1, 16,
                               "Database '" + statement.database +
                                   "' does not exist. Make sure that the name is entered "
                                   "correctly."});
                    out.done(done_status::kError, 0);
                    return;
                }
                out.envChange(env_type::kDatabase, sql_->database(), old);
                out.info({5701, 1, 0, "Changed database context to '" + sql_->database() + "'."});
                out.done(more, 0);
                break;
            }
            case StatementKind::kSet:
                out.done(more, 0);
                break;
            case StatementKind::kQuery: {
                StatementOutcome outcome = sql_->run(statement);
                if (outcome.error) {
                    out.error(*outcome.error);
                    out.done(done_status::kError, 0);
                    return;
                }
                if (outcome.result) {
                    out.result(*outcome.result);
                    out.done(more | done_status::kCount, outcome.result->rows.size());
                } else if (outcome.rowsAffected) {
                    out.done(more | done_status::kCount, *outcome.rowsAffected);
                } else {
                    out.done(more, 0);
                }
                break;
            }
        }
    }
}

}  // namespace kelvar::standin
