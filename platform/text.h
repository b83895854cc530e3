#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

namespace kelvar {

// The blanks every part of Kelvar trims from typed and stored text: the connection-string parser
// and the login's quoting must agree on them, or a password could lose its outer blanks.
[[nodiscard]] constexpr bool isBlank(char c) noexcept {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The text without blanks at either end.
[[nodiscard]] constexpr std::string_view trimmed(std::string_view text) noexcept {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// Keywords and column names match regardless of ASCII letter case; other bytes must be equal, so
// Chinese names compare exactly.
[[nodiscard]] inline bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) noexcept {
    const auto lower = [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [&lower](char x, char y) { return lower(x) == lower(y); });
}

// The text on one line: each line break, a CR LF pair counted as one, becomes a blank. Messages
// and tables give the driver's multi-line words one line each.
[[nodiscard]] inline std::string oneLine(std::string_view text) {
    std::string line;
    line.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            continue;
        }
        line += (text[i] == '\n' || text[i] == '\r') ? ' ' : text[i];
    }
    return line;
}

}  // namespace kelvar
