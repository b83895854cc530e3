#include "packet_io.h"

#include <algorithm>
#include <array>

namespace kelvar::standin {
namespace {

constexpr std::size_t kHeaderSize = 8;
constexpr std::uint8_t kStatusEom = 0x01;
constexpr std::uint8_t kStatusIgnore = 0x02;
// Keeps a hostile or confused client from making the server allocate without bound.
constexpr std::size_t kMaxMessage = 64 * 1024 * 1024;

}  // namespace

std::optional<Message> readMessage(Transport& in) {
    Message message;
    bool first = true;
    for (;;) {
        std::array<std::uint8_t, kHeaderSize> header{};
        if (!in.readAll(header)) {
            if (first) {
                return std::nullopt;
            }
            throw ProtocolError("connection closed inside a message");
        }
        const std::size_t length = (static_cast<std::size_t>(header[2]) << 8) | header[3];
        if (length < kHeaderSize) {
            throw ProtocolError("packet length below header size");
        }
        if (first) {
            message.type = header[0];
        }
        const std::size_t bodySize = length - kHeaderSize;
        if (message.payload.size() + bodySize > kMaxMessage) {
            throw ProtocolError("message too large");
        }
        const std::size_t at = message.payload.size();
        message.payload.resize(at + bodySize);
        if (bodySize > 0 && !in.readAll(std::span(message.payload).subspan(at))) {
            throw ProtocolError("connection closed inside a packet");
        }
        first = false;
        const std::uint8_t status = header[1];
        if (status & kStatusEom) {
            if (status & kStatusIgnore) {
                message = Message{};
                first = true;
                continue;
            }
            return message;
        }
    }
}

void writeMessage(Transport& out, std::uint8_t type, const Bytes& payload, std::size_t packetSize,
                  std::uint16_t spid) {
    const std::size_t room = packetSize - kHeaderSize;
    std::size_t offset = 0;
    std::uint8_t packetId = 1;
    Bytes packet;
    packet.reserve(packetSize);
    do {
        const std::size_t chunk = std::min(room, payload.size() - offset);
        const bool last = offset + chunk == payload.size();
        const std::size_t length = chunk + kHeaderSize;
        packet.assign({type, static_cast<std::uint8_t>(last ? kStatusEom : 0),
                       static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length),
                       static_cast<std::uint8_t>(spid >> 8), static_cast<std::uint8_t>(spid),
                       packetId++, 0});
        packet.insert(packet.end(), payload.begin() + static_cast<std::ptrdiff_t>(offset),
                      payload.begin() + static_cast<std::ptrdiff_t>(offset + chunk));
        out.writeAll(packet);
        offset += chunk;
    } while (offset < payload.size());
}

}  // namespace kelvar::standin
