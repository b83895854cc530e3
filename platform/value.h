#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace kelvar {

// One field value as a recordset hands it out: null, a whole number, a floating number or UTF-8
// text.
class Value {
  public:
    Value() = default;
    explicit Value(std::int64_t number) : data_(number) {}
    explicit Value(int number) : data_(static_cast<std::int64_t>(number)) {}
    explicit Value(double number) : data_(number) {}
    explicit Value(std::string text) : data_(std::move(text)) {}
    explicit Value(const char* text) : data_(std::string(text)) {}

    [[nodiscard]] bool isNull() const noexcept {
        return std::holds_alternative<std::monostate>(data_);
    }

    // Text form: decimal for numbers, empty for null.
    [[nodiscard]] std::string toText() const;

    // The value as a whole number, if it is one: an integer, a floating value with no fraction, or
    // text holding a decimal number with no fractional part ("123", " 123.00 "). Anything else, a
    // null or a number beyond 64 bits gives nothing.
    [[nodiscard]] std::optional<std::int64_t> toWholeNumber() const;

    friend bool operator==(const Value&, const Value&) = default;

  private:
    std::variant<std::monostate, std::int64_t, double, std::string> data_;
};

}  // namespace kelvar
