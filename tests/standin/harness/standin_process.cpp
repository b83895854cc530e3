#include "standin_process.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

#include "ole_db_login.h"

namespace kelvar::standin {
namespace {

void appendUtf8(std::string& out, unsigned cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Just enough JSON for the server's own flat log objects: string and boolean values.
class LineParser {
  public:
    explicit LineParser(std::string_view s) : s_(s) {}

    std::vector<std::pair<std::string, std::string>> object() {
        std::vector<std::pair<std::string, std::string>> fields;
        expect('{');
        skipBlanks();
        if (peek() == '}') {
            ++i_;
            return fields;
        }
        for (;;) {
            std::string key = string();
            expect(':');
            skipBlanks();
            std::string value;
            if (peek() == '"') {
                value = string();
            } else if (s_.substr(i_, 4) == "true") {
                value = "true";
                i_ += 4;
            } else if (s_.substr(i_, 5) == "false") {
                value = "false";
                i_ += 5;
            } else {
                fail();
            }
            fields.emplace_back(std::move(key), std::move(value));
            skipBlanks();
            if (peek() == ',') {
                ++i_;
                continue;
            }
            expect('}');
            return fields;
        }
    }

  private:
    [[noreturn]] void fail() const {
        throw std::runtime_error("not a stand-in log line: " + std::string(s_));
    }
    char peek() const { return i_ < s_.size() ? s_[i_] : '\0'; }
    void skipBlanks() {
        while (peek() == ' ') {
            ++i_;
        }
    }
    void expect(char c) {
        skipBlanks();
        if (peek() != c) {
            fail();
        }
        ++i_;
    }
    std::string string() {
        expect('"');
        std::string out;
        while (i_ < s_.size() && s_[i_] != '"') {
            char c = s_[i_++];
            if (c != '\\') {
                out += c;
                continue;
            }
            if (i_ >= s_.size()) {
                fail();
            }
            c = s_[i_++];
            switch (c) {
                case 'n':
                    out += '\n';
                    break;
                case 'r':
                    out += '\r';
                    break;
                case 't':
                    out += '\t';
                    break;
                case 'u':
                    if (i_ + 4 > s_.size()) {
                        fail();
                    }
                    appendUtf8(out, static_cast<unsigned>(
                                        std::stoul(std::string(s_.substr(i_, 4)), nullptr, 16)));
                    i_ += 4;
                    break;
                default:
                    out += c;
            }
        }
        expect('"');
        return out;
    }

    std::string_view s_;
    std::size_t i_ = 0;
};

std::string field(const std::vector<std::pair<std::string, std::string>>& fields,
                  std::string_view key) {
    for (const auto& [k, v] : fields) {
        if (k == key) {
            return v;
        }
    }
    return {};
}

}  // namespace

LogEntry parseLogLine(std::string_view line) {
    const auto fields = LineParser(line).object();
    LogEntry entry;
    entry.database = field(fields, "db");
    bool isLogin = false;
    for (const auto& [k, v] : fields) {
        isLogin |= k == "login";
    }
    if (isLogin) {
        entry.kind = LogEntry::Kind::kLogin;
        entry.user = field(fields, "login");
        entry.ok = field(fields, "ok") == "true";
        entry.encryption = field(fields, "encryption");
    } else {
        entry.kind = LogEntry::Kind::kBatch;
        entry.sql = field(fields, "sql");
    }
    return entry;
}

std::string freetdsConnectionString(std::uint16_t port, std::string_view password,
                                    std::string_view database) {
    // FreeTDS 1.3 ends a braced value at the first "};" and keeps "}}" as is: brace only what
    // needs it (see tds-notes.md, section 7).
    std::string pwd(password);
    if (pwd.find(';') != std::string::npos || (!pwd.empty() && pwd.front() == '{')) {
        if (pwd.find('}') != std::string::npos) {
            throw std::invalid_argument("FreeTDS cannot take a password with both ';' and '}'");
        }
        pwd = "{" + pwd + "}";
    }
    std::string cs =
        "Driver=FreeTDS;Server=127.0.0.1;Port=" + std::to_string(port) + ";UID=sa;PWD=" + pwd + ";";
    if (!database.empty()) {
        cs += "Database=" + std::string(database) + ";";
    }
    // The level Kelvar states too, so no freetds.conf can change it.
    return cs + "TDS_Version=7.4;ClientCharset=UTF-8;Encryption=request;";
}

std::string StandinProcess::connectionString(std::string_view database) const {
    return freetdsConnectionString(port_, options_.password, database);
}

std::string oleDbLogin(std::uint16_t port, std::string_view password) {
    return golden::oleDbLogin("127.0.0.1," + std::to_string(port), password);
}

std::string StandinProcess::oleDbLogin() const {
    return standin::oleDbLogin(port_, options_.password);
}

std::vector<std::string> StandinProcess::logLines() const {
    std::ifstream in(logPath_, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // Only whole lines: the server may be writing the next one right now.
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        if (end > start) {
            lines.push_back(text.substr(start, end - start));
        }
    }
    return lines;
}

std::vector<LogEntry> StandinProcess::logEntries() const {
    std::vector<LogEntry> entries;
    for (const auto& line : logLines()) {
        entries.push_back(parseLogLine(line));
    }
    return entries;
}

std::vector<LogEntry> StandinProcess::logins() const {
    std::vector<LogEntry> out;
    for (auto& e : logEntries()) {
        if (e.kind == LogEntry::Kind::kLogin) {
            out.push_back(std::move(e));
        }
    }
    return out;
}

std::vector<std::string> StandinProcess::sqlTexts() const {
    std::vector<std::string> out;
    for (auto& e : logEntries()) {
        if (e.kind == LogEntry::Kind::kBatch) {
            out.push_back(std::move(e.sql));
        }
    }
    return out;
}

}  // namespace kelvar::standin
