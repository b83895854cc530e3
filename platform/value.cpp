#include "value.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string_view>

#include "text.h"

namespace kelvar {
namespace {

std::optional<std::int64_t> wholeNumberFromText(std::string_view text) {
    text = trimmed(text);
    // A decimal point followed only by zeros is still a whole number ("123.00").
    if (const auto point = text.find('.'); point != std::string_view::npos) {
        const auto fraction = text.substr(point + 1);
        if (fraction.find_first_not_of('0') != std::string_view::npos) {
            return std::nullopt;
        }
        text = text.substr(0, point);
    }
    std::string_view digits = text;
    if (!digits.empty() && (digits.front() == '-' || digits.front() == '+')) {
        digits.remove_prefix(1);
    }
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos) {
        return std::nullopt;
    }
    if (text.front() == '+') {
        text.remove_prefix(1);
    }
    std::int64_t number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc{} || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return number;
}

std::optional<std::int64_t> wholeNumberFromDouble(double number) {
    // 2^63 is exactly representable; anything at or past it does not fit.
    constexpr double limit = 9223372036854775808.0;
    if (!std::isfinite(number) || std::trunc(number) != number || number >= limit ||
        number < -limit) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(number);
}

}  // namespace

std::string Value::toText() const {
    struct Visitor {
        std::string operator()(std::monostate) const { return {}; }
        std::string operator()(std::int64_t number) const { return std::to_string(number); }
        std::string operator()(double number) const {
            char buffer[64];
            const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, number);
            return error == std::errc{} ? std::string(buffer, end) : std::string{};
        }
        std::string operator()(const std::string& text) const { return text; }
    };
    return std::visit(Visitor{}, data_);
}

std::optional<std::int64_t> Value::toWholeNumber() const {
    struct Visitor {
        std::optional<std::int64_t> operator()(std::monostate) const { return std::nullopt; }
        std::optional<std::int64_t> operator()(std::int64_t number) const { return number; }
        std::optional<std::int64_t> operator()(double number) const {
            return wholeNumberFromDouble(number);
        }
        std::optional<std::int64_t> operator()(const std::string& text) const {
            return wholeNumberFromText(text);
        }
    };
    return std::visit(Visitor{}, data_);
}

}  // namespace kelvar
