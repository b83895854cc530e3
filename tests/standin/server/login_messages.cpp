#include "login_messages.h"

#include "utf16.h"

namespace kelvar::standin {
namespace {

constexpr std::uint8_t kOptVersion = 0x00;
constexpr std::uint8_t kOptEncryption = 0x01;
constexpr std::uint8_t kOptInstance = 0x02;
constexpr std::uint8_t kOptThreadId = 0x03;
constexpr std::uint8_t kOptMars = 0x04;
constexpr std::uint8_t kOptTerminator = 0xFF;

constexpr std::size_t kLogin7FixedSize = 94;

std::uint8_t swapNibbles(std::uint8_t b) {
    return static_cast<std::uint8_t>((b << 4) | (b >> 4));
}

// Reads one (offset, character count) pair of the fixed part and the UTF-16 text it points to.
std::span<const std::uint8_t> field(std::span<const std::uint8_t> payload, std::size_t at) {
    ByteReader r(payload);
    r.seek(at);
    const std::size_t offset = r.u16le();
    const std::size_t chars = r.u16le();
    if (offset + 2 * chars > payload.size()) {
        throw ProtocolError("LOGIN7 field outside the message");
    }
    return payload.subspan(offset, 2 * chars);
}

}  // namespace

std::string_view protectionName(Protection protection) {
    switch (protection) {
        case Protection::kNone:
            return "none";
        case Protection::kLogin:
            return "login";
        case Protection::kSession:
            return "session";
    }
    return "none";
}

std::uint8_t clientEncryption(std::span<const std::uint8_t> prelogin) {
    ByteReader r(prelogin);
    for (;;) {
        const std::uint8_t token = r.u8();
        if (token == kOptTerminator) {
            return encrypt::kNotSupported;
        }
        const std::size_t offset = r.u16be();
        const std::size_t length = r.u16be();
        if (offset + length > prelogin.size()) {
            throw ProtocolError("PRELOGIN option outside the message");
        }
        if (token == kOptEncryption && length >= 1) {
            return prelogin[offset];
        }
    }
}

std::optional<EncryptionAnswer> answerEncryption(EncryptionMode mode, std::uint8_t client) {
    const bool cannot = client == encrypt::kNotSupported;
    const bool loginOnly = client == encrypt::kOff;
    switch (mode) {
        case EncryptionMode::kOff:
            return EncryptionAnswer{encrypt::kNotSupported, Protection::kNone};
        case EncryptionMode::kLogin:
            if (cannot) {
                return EncryptionAnswer{encrypt::kNotSupported, Protection::kNone};
            }
            if (loginOnly) {
                return EncryptionAnswer{encrypt::kOff, Protection::kLogin};
            }
            return EncryptionAnswer{encrypt::kOn, Protection::kSession};
        case EncryptionMode::kForce:
            if (cannot) {
                return std::nullopt;
            }
            return EncryptionAnswer{encrypt::kRequired, Protection::kSession};
    }
    return std::nullopt;
}

Bytes preloginReply(std::uint8_t encryption) {
    struct Option {
        std::uint8_t token;
        Bytes data;
    };
    // Version 15.0.2000.0: FreeTDS ignores it, but a well-formed value costs nothing.
    const Option options[] = {
        {kOptVersion, {0x0F, 0x00, 0x07, 0xD0, 0x00, 0x00}},
        {kOptEncryption, {encryption}},
        {kOptInstance, {0x00}},
        {kOptThreadId, {}},
        {kOptMars, {0x00}},
    };
    ByteWriter out;
    std::uint16_t offset = static_cast<std::uint16_t>(std::size(options) * 5 + 1);
    for (const auto& option : options) {
        out.u8(option.token);
        out.u16be(offset);
        out.u16be(static_cast<std::uint16_t>(option.data.size()));
        offset = static_cast<std::uint16_t>(offset + option.data.size());
    }
    out.u8(kOptTerminator);
    for (const auto& option : options) {
        out.bytes(option.data);
    }
    return out.take();
}

Login7 decodeLogin7(std::span<const std::uint8_t> payload) {
    if (payload.size() < kLogin7FixedSize) {
        throw ProtocolError("LOGIN7 shorter than its fixed part");
    }
    ByteReader r(payload);
    Login7 login;
    r.u32le();  // total length, implied by the message
    login.tdsVersion = r.u32le();
    login.packetSize = r.u32le();
    login.hostName = fromUtf16le(field(payload, 36));
    login.userName = fromUtf16le(field(payload, 40));
    login.password = fromUtf16le(unscramblePassword(field(payload, 44)));
    login.appName = fromUtf16le(field(payload, 48));
    login.database = fromUtf16le(field(payload, 68));
    return login;
}

Bytes scramblePassword(std::span<const std::uint8_t> utf16) {
    Bytes out(utf16.begin(), utf16.end());
    for (auto& b : out) {
        b = swapNibbles(b) ^ 0xA5;
    }
    return out;
}

Bytes unscramblePassword(std::span<const std::uint8_t> scrambled) {
    Bytes out(scrambled.begin(), scrambled.end());
    for (auto& b : out) {
        b = swapNibbles(static_cast<std::uint8_t>(b ^ 0xA5));
    }
    return out;
}

}  // namespace kelvar::standin
