// The TDS packet layer: a message is one or more packets joined until the end-of-message bit.
#pragma once

#include <cstdint>
#include <optional>

#include "bytes.h"
#include "transport.h"

namespace kelvar::standin {

namespace packet_type {
inline constexpr std::uint8_t kSqlBatch = 0x01;
inline constexpr std::uint8_t kPreTds7Login = 0x02;
inline constexpr std::uint8_t kRpc = 0x03;
inline constexpr std::uint8_t kTabularResult = 0x04;
inline constexpr std::uint8_t kAttention = 0x06;
inline constexpr std::uint8_t kBulkLoad = 0x07;
inline constexpr std::uint8_t kTransactionManager = 0x0E;
inline constexpr std::uint8_t kLogin7 = 0x10;
inline constexpr std::uint8_t kPrelogin = 0x12;
}  // namespace packet_type

struct Message {
    std::uint8_t type = 0;
    Bytes payload;
};

// Reads packets until one carries EOM and returns the joined payload. Messages the client marks
// "ignore" are skipped. Returns nullopt when the peer closes between messages.
std::optional<Message> readMessage(Transport& in);

// Splits a server message into packets of at most `packetSize` bytes. The caller serialises
// writers; `spid` goes into every header because FreeTDS learns its session id from it.
void writeMessage(Transport& out, std::uint8_t type, const Bytes& payload, std::size_t packetSize,
                  std::uint16_t spid);

}  // namespace kelvar::standin
