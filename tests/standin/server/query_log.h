// The --log file: one JSON object per line, written and flushed as each event happens, so a test
// can read the logins and the exact SQL on the wire in order. Passwords are never passed in.
#pragma once

#include <fstream>
#include <mutex>
#include <string>
#include <string_view>

namespace kelvar::standin {

class QueryLog {
  public:
    QueryLog() = default;                        // disabled: every call is a no-op
    explicit QueryLog(const std::string& path);  // throws std::runtime_error

    // `encryption` is what the PRELOGIN settled: "none", "login" or "session".
    void login(std::string_view user, std::string_view database, bool ok,
               std::string_view encryption);
    void batch(std::string_view database, std::string_view sql);

  private:
    void write(const std::string& line);

    std::mutex mutex_;
    std::ofstream out_;
};

// A JSON string literal (quotes included) for UTF-8 text.
std::string jsonString(std::string_view text);

}  // namespace kelvar::standin
