// The two messages of the login exchange: the PRELOGIN answer and the LOGIN7 request.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "bytes.h"

namespace kelvar::standin {

// Answers any PRELOGIN with "encryption not supported" and MARS off: anything else would make
// FreeTDS start TLS or session multiplexing, neither of which the server speaks.
Bytes preloginReply();

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
