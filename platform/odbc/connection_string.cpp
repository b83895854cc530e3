#include "platform/odbc/connection_string.h"

#include <algorithm>

#include "platform/odbc/ado_errors.h"
#include "platform/text.h"

namespace kelvar::odbc {
namespace {

[[noreturn]] void syntaxError(const char* what) {
    throw ado::badConnectionString(what);
}

// Walks the text once, pair by pair.
class Reader {
  public:
    explicit Reader(std::string_view text) : text_(text) {}

    ConnectionSettings readAll() {
        ConnectionSettings settings;
        while (!atEnd()) {
            skipBlanks();
            if (atEnd()) {
                break;
            }
            if (peek() == ';') {
                ++pos_;
                continue;
            }
            std::string keyword = readKeyword();
            std::string value = readValue();
            settings.set(keyword, std::move(value));
        }
        return settings;
    }

  private:
    [[nodiscard]] bool atEnd() const { return pos_ >= text_.size(); }
    [[nodiscard]] char peek() const { return text_[pos_]; }
    void skipBlanks() {
        while (!atEnd() && isBlank(peek())) {
            ++pos_;
        }
    }

    // Up to the first `=` that is not doubled; the `=` is consumed.
    std::string readKeyword() {
        std::string keyword;
        while (true) {
            if (atEnd() || peek() == ';') {
                syntaxError("a keyword has no '=' after it.");
            }
            if (peek() == '=') {
                if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '=') {
                    keyword += '=';
                    pos_ += 2;
                    continue;
                }
                ++pos_;
                break;
            }
            keyword += peek();
            ++pos_;
        }
        const std::string_view bare = trimmed(keyword);
        if (bare.empty()) {
            syntaxError("a value has no keyword before it.");
        }
        return std::string(bare);
    }

    // The value after `=`, up to and including the `;` that ends the pair.
    std::string readValue() {
        skipBlanks();
        if (!atEnd() && (peek() == '"' || peek() == '\'')) {
            return readQuotedValue();
        }
        const std::size_t end = std::min(text_.find(';', pos_), text_.size());
        const std::string_view value = trimmed(text_.substr(pos_, end - pos_));
        pos_ = end;
        if (!atEnd()) {
            ++pos_;
        }
        return std::string(value);
    }

    std::string readQuotedValue() {
        const char quote = peek();
        ++pos_;
        std::string value;
        while (true) {
            if (atEnd()) {
                syntaxError("a quoted value has no closing quote.");
            }
            const char c = peek();
            ++pos_;
            if (c != quote) {
                value += c;
                continue;
            }
            if (!atEnd() && peek() == quote) {
                value += quote;
                ++pos_;
                continue;
            }
            break;
        }
        skipBlanks();
        if (!atEnd()) {
            if (peek() != ';') {
                syntaxError("a quoted value is followed by other text before the next ';'.");
            }
            ++pos_;
        }
        return value;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

}  // namespace

std::size_t ConnectionSettings::indexOf(std::string_view keyword) const {
    for (std::size_t index = 0; index < entries_.size(); ++index) {
        if (equalsIgnoringAsciiCase(entries_[index].keyword, keyword)) {
            return index;
        }
    }
    return entries_.size();
}

std::optional<std::string> ConnectionSettings::value(std::string_view keyword) const {
    const std::size_t index = indexOf(keyword);
    if (index == entries_.size()) {
        return std::nullopt;
    }
    return entries_[index].value;
}

void ConnectionSettings::set(std::string_view keyword, std::string value) {
    const std::size_t index = indexOf(keyword);
    if (index == entries_.size()) {
        entries_.push_back({std::string(keyword), std::move(value)});
        return;
    }
    entries_[index].value = std::move(value);
}

ConnectionSettings parseOleDbConnectionString(std::string_view text) {
    return Reader(text).readAll();
}

}  // namespace kelvar::odbc
