// The few messages between a Windows test's harness and kelvar-standin-launcher, both ends.
//
// Each message is a named field: "<name> <byte count>\n" and then that many bytes, so values may
// hold line feeds (SQL) or any byte (passwords). The harness sends "data", "password", any
// number of "arg" and "sql" ("<database>\n<statements>"), then "start"; the launcher answers
// "port", "log" and "data", or "error". Later "stop" is answered by "exit" with the server's
// exit status; a connection that simply ends stops the server too.
#pragma once

#include <charconv>
#include <cstddef>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kelvar::standin::launcher {

struct Field {
    std::string name;
    std::string value;
};

[[nodiscard]] inline std::string encode(std::string_view name, std::string_view value = {}) {
    return std::string(name) + ' ' + std::to_string(value.size()) + '\n' + std::string(value);
}

// Reads fields from a byte source whose read(buffer, size) returns 0 at the end.
class FieldReader {
  public:
    using Read = std::function<std::size_t(char*, std::size_t)>;
    explicit FieldReader(Read read) : read_(std::move(read)) {}

    // The next field; nothing at an orderly end between fields. Throws on a torn one.
    std::optional<Field> next() {
        Field field;
        std::string length;
        if (!fill(1)) {
            return std::nullopt;
        }
        for (std::string* part = &field.name;;) {
            if (!fill(1)) {
                throw std::runtime_error("launcher connection ended inside a field");
            }
            const char c = buffer_[at_++];
            if (c == ' ' && part == &field.name) {
                part = &length;
            } else if (c == '\n' && part == &length) {
                break;
            } else if (c == '\n' || part->size() > 32) {
                throw std::runtime_error("bad launcher field header");
            } else {
                *part += c;
            }
        }
        std::size_t size = 0;
        const auto [end, error] =
            std::from_chars(length.data(), length.data() + length.size(), size);
        if (length.empty() || error != std::errc{} || end != length.data() + length.size() ||
            size > kMaxValue) {
            throw std::runtime_error("bad launcher field length");
        }
        if (!fill(size)) {
            throw std::runtime_error("launcher connection ended inside a field");
        }
        field.value = buffer_.substr(at_, size);
        at_ += size;
        return field;
    }

  private:
    // Far beyond any SQL or password a test sends; keeps a confused peer from growing the buffer.
    static constexpr std::size_t kMaxValue = 16 * 1024 * 1024;

    // Makes `count` unread bytes available; false when the source ends first.
    bool fill(std::size_t count) {
        buffer_.erase(0, at_);
        at_ = 0;
        char chunk[4096];
        while (buffer_.size() < count) {
            const std::size_t got = read_(chunk, sizeof chunk);
            if (got == 0) {
                return false;
            }
            buffer_.append(chunk, got);
        }
        return true;
    }

    Read read_;
    std::string buffer_;
    std::size_t at_ = 0;
};

}  // namespace kelvar::standin::launcher
