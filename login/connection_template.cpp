#include "login/connection_template.h"

#include <cstddef>

#include "platform/text.h"

namespace kelvar {
namespace {

// The password stands bare in the template. A bare value ends at ';', would be taken as quoted if
// it began with a quote, loses its outer blanks, and a leading '=' would read as an escaped '=' of
// the keyword; any such password goes in double quotes with inner '"' doubled.
bool passwordNeedsQuotes(std::string_view password) {
    if (password.empty()) {
        return false;
    }
    return password.find_first_of(";'\"") != std::string_view::npos || password.front() == '=' ||
           isBlank(password.front()) || isBlank(password.back());
}

void appendDoubled(std::string& out, std::string_view text, char quote) {
    for (const char c : text) {
        out += c;
        if (c == quote) {
            out += quote;
        }
    }
}

void appendPassword(std::string& out, std::string_view password) {
    if (!passwordNeedsQuotes(password)) {
        out += password;
        return;
    }
    out += '"';
    appendDoubled(out, password, '"');
    out += '"';
}

}  // namespace

std::string fillConnectionTemplate(std::string_view password, std::string_view serverName) {
    std::string filled;
    filled.reserve(ConnectionTemplate.size() + password.size() + serverName.size() + 16);
    for (std::size_t i = 0; i < ConnectionTemplate.size(); ++i) {
        const char c = ConnectionTemplate[i];
        const char next = i + 1 < ConnectionTemplate.size() ? ConnectionTemplate[i + 1] : '\0';
        if (c != '|' || (next != '1' && next != '2' && next != '3')) {
            filled += c;
            continue;
        }
        ++i;
        if (next == '1') {
            appendPassword(filled, password);
        } else if (next == '2') {
            // The template already holds the server in single quotes.
            appendDoubled(filled, serverName, '\'');
        } else {
            filled += SystemCatalog;
        }
    }
    return filled;
}

}  // namespace kelvar
