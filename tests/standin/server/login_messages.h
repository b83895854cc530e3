// The two messages of the login exchange: the PRELOGIN answer and the LOGIN7 request.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "bytes.h"

namespace kelvar::standin {

// The PRELOGIN ENCRYPTION byte, in both directions.
namespace encrypt {
inline constexpr std::uint8_t kOff = 0x00;  // client: "encrypt the login"; server: "only the login"
inline constexpr std::uint8_t kOn = 0x01;
inline constexpr std::uint8_t kNotSupported = 0x02;
inline constexpr std::uint8_t kRequired = 0x03;
}  // namespace encrypt

// How the server answers the client's ENCRYPTION byte (--encryption).
enum class EncryptionMode {
    kOff,    // an old server without a certificate: NOT_SUP to everyone
    kLogin,  // SQL Server's default: the LOGIN7 inside TLS, or the whole session if asked for
    kForce,  // Force Encryption: whole sessions only, a client that cannot encrypt is refused
};

// What the exchange settles: no TLS, TLS for the LOGIN7 only, or TLS for the whole session.
enum class Protection { kNone, kLogin, kSession };

// "none", "login" or "session", as the log writes it.
std::string_view protectionName(Protection protection);

struct EncryptionAnswer {
    std::uint8_t reply;
    Protection protection;
};

// The ENCRYPTION byte of a client's PRELOGIN. A PRELOGIN without the option counts as NOT_SUP,
// as FreeTDS reads a reply without it. Throws ProtocolError on a malformed option list.
std::uint8_t clientEncryption(std::span<const std::uint8_t> prelogin);

// SQL Server's answer to `client` in `mode`; nullopt when the client is refused.
std::optional<EncryptionAnswer> answerEncryption(EncryptionMode mode, std::uint8_t client);

// The PRELOGIN answer with this ENCRYPTION byte and MARS off: MARS on would make FreeTDS frame
// the session for multiplexing, which the server does not speak.
Bytes preloginReply(std::uint8_t encryption);

struct Login7 {
    std::uint32_t tdsVersion = 0;  // as the client sent it, e.g. 0x74000004
    std::uint32_t packetSize = 0;
    std::string hostName;
    std::string userName;
    std::string password;
    std::string appName;
    std::string database;  // empty when the client named none
};

// Throws ProtocolError when an offset or length points outside the message.
Login7 decodeLogin7(std::span<const std::uint8_t> payload);

// The client's password scrambling: each byte has its nibbles swapped, then is XORed with 0xA5.
Bytes scramblePassword(std::span<const std::uint8_t> utf16);
Bytes unscramblePassword(std::span<const std::uint8_t> scrambled);

}  // namespace kelvar::standin
