#include "query_log.h"

#include <cstdio>
#include <stdexcept>

namespace kelvar::standin {

QueryLog::QueryLog(const std::string& path) : out_(path, std::ios::app | std::ios::binary) {
    if (!out_) {
        throw std::runtime_error("cannot open log file " + path);
    }
}

std::string jsonString(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(c));
                    out += buf;
                } else {
                    out += c;  // UTF-8 passes through: JSON text is UTF-8
                }
        }
    }
    return out + "\"";
}

void QueryLog::login(std::string_view user, std::string_view database, bool ok,
                     std::string_view encryption) {
    write("{\"login\": " + jsonString(user) + ", \"db\": " + jsonString(database) + ", \"ok\": " +
          (ok ? "true" : "false") + ", \"encryption\": " + jsonString(encryption) + "}");
}

void QueryLog::batch(std::string_view database, std::string_view sql) {
    write("{\"db\": " + jsonString(database) + ", \"sql\": " + jsonString(sql) + "}");
}

void QueryLog::write(const std::string& line) {
    std::lock_guard lock(mutex_);
    if (out_.is_open()) {
        out_ << line << '\n';
        out_.flush();
    }
}

}  // namespace kelvar::standin
