// Little helpers to build and parse TDS byte streams. TDS is little-endian except for a few
// header fields, so every accessor names its byte order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace kelvar::standin {

using Bytes = std::vector<std::uint8_t>;

// Raised when a client message is shorter or stranger than its own lengths claim.
class ProtocolError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class ByteWriter {
  public:
    void u8(std::uint8_t v) { out_.push_back(v); }
    void u16le(std::uint16_t v) {
        u8(static_cast<std::uint8_t>(v));
        u8(static_cast<std::uint8_t>(v >> 8));
    }
    void u16be(std::uint16_t v) {
        u8(static_cast<std::uint8_t>(v >> 8));
        u8(static_cast<std::uint8_t>(v));
    }
    void u32le(std::uint32_t v) {
        for (int shift = 0; shift < 32; shift += 8) {
            u8(static_cast<std::uint8_t>(v >> shift));
        }
    }
    void u32be(std::uint32_t v) {
        for (int shift = 24; shift >= 0; shift -= 8) {
            u8(static_cast<std::uint8_t>(v >> shift));
        }
    }
    void u64le(std::uint64_t v) {
        for (int shift = 0; shift < 64; shift += 8) {
            u8(static_cast<std::uint8_t>(v >> shift));
        }
    }
    void bytes(std::span<const std::uint8_t> data) {
        out_.insert(out_.end(), data.begin(), data.end());
    }

    // Overwrites a 16-bit little-endian value written earlier, for length fields known only later.
    void patchU16le(std::size_t at, std::uint16_t v) {
        out_.at(at) = static_cast<std::uint8_t>(v);
        out_.at(at + 1) = static_cast<std::uint8_t>(v >> 8);
    }

    std::size_t size() const { return out_.size(); }
    const Bytes& data() const { return out_; }
    Bytes take() { return std::move(out_); }

  private:
    Bytes out_;
};

class ByteReader {
  public:
    explicit ByteReader(std::span<const std::uint8_t> data) : data_(data) {}

    std::uint8_t u8() { return need(1)[0]; }
    std::uint16_t u16le() {
        auto p = need(2);
        return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
    }
    std::uint16_t u16be() {
        auto p = need(2);
        return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
    }
    std::uint32_t u32le() {
        auto p = need(4);
        return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
               (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
    }
    std::span<const std::uint8_t> take(std::size_t n) { return need(n); }
    void seek(std::size_t pos) {
        if (pos > data_.size()) {
            throw ProtocolError("offset beyond end of message");
        }
        pos_ = pos;
    }
    std::size_t pos() const { return pos_; }
    std::size_t remaining() const { return data_.size() - pos_; }

  private:
    std::span<const std::uint8_t> need(std::size_t n) {
        if (n > remaining()) {
            throw ProtocolError("message shorter than its fields");
        }
        auto part = data_.subspan(pos_, n);
        pos_ += n;
        return part;
    }

    std::span<const std::uint8_t> data_;
    std::size_t pos_ = 0;
};

}  // namespace kelvar::standin
