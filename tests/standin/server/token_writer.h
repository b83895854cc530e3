// Builds the token stream of one server response (TDS 7.2 and later encodings only).
#pragma once

#include <cstdint>
#include <string>

#include "bytes.h"
#include "result_set.h"

namespace kelvar::standin {

namespace done_status {
inline constexpr std::uint16_t kFinal = 0x0000;
inline constexpr std::uint16_t kMore = 0x0001;
inline constexpr std::uint16_t kError = 0x0002;
inline constexpr std::uint16_t kCount = 0x0010;
inline constexpr std::uint16_t kAttention = 0x0020;
}  // namespace done_status

namespace env_type {
inline constexpr std::uint8_t kDatabase = 1;
inline constexpr std::uint8_t kLanguage = 2;
inline constexpr std::uint8_t kPacketSize = 4;
}  // namespace env_type

struct ServerMessage {
    std::int32_t number = 0;
    std::uint8_t state = 1;
    std::uint8_t severity = 16;  // "class": <= 10 informational, > 10 an error
    std::string text;
};

class TokenWriter {
  public:
    explicit TokenWriter(std::string serverName) : serverName_(std::move(serverName)) {}

    void envChange(std::uint8_t type, const std::string& newValue, const std::string& oldValue);
    void collationChange();
    void info(const ServerMessage& m) { message(0xAB, m); }
    void error(const ServerMessage& m) { message(0xAA, m); }
    void loginAck(std::uint32_t tdsVersion);
    void done(std::uint16_t status, std::uint64_t rowCount);
    void result(const ResultSet& result);

    bool empty() const { return out_.size() == 0; }
    Bytes take() { return out_.take(); }

  private:
    void message(std::uint8_t token, const ServerMessage& m);
    void bVarchar(const std::string& text);
    void collation();

    std::string serverName_;
    ByteWriter out_;
};

}  // namespace kelvar::standin
