#include "options.h"

#include <charconv>

namespace kelvar::standin {
namespace {

template <typename T>
bool parseNumber(const std::string& text, T max, T& out) {
    unsigned long long value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || end != text.data() + text.size() || text.empty() ||
        value > static_cast<unsigned long long>(max)) {
        return false;
    }
    out = static_cast<T>(value);
    return true;
}

}  // namespace

std::optional<Options> parseOptions(const std::vector<std::string>& args, std::string& error) {
    Options options;
    bool haveData = false;
    bool havePassword = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& flag = args[i];
        if (flag == "--exit-with-stdin") {
            options.exitWithStdin = true;
            continue;
        }
        if (i + 1 >= args.size()) {
            error = "missing value after " + flag;
            return std::nullopt;
        }
        const std::string& value = args[++i];
        if (flag == "--data") {
            options.dataDir = value;
            haveData = true;
        } else if (flag == "--password") {
            options.password = value;
            havePassword = true;
        } else if (flag == "--host") {
            options.host = value;
        } else if (flag == "--port") {
            if (!parseNumber<std::uint16_t>(value, 65535, options.port)) {
                error = "bad port: " + value;
                return std::nullopt;
            }
        } else if (flag == "--log") {
            options.logPath = value;
        } else if (flag == "--latency-ms") {
            unsigned latency = 0;
            if (!parseNumber<unsigned>(value, 3'600'000, latency)) {
                error = "bad latency: " + value;
                return std::nullopt;
            }
            options.latency = std::chrono::milliseconds(latency);
        } else if (flag == "--encryption") {
            if (value == "off") {
                options.encryption = EncryptionMode::kOff;
            } else if (value == "login") {
                options.encryption = EncryptionMode::kLogin;
            } else if (value == "force") {
                options.encryption = EncryptionMode::kForce;
            } else {
                error = "bad encryption (off, login or force): " + value;
                return std::nullopt;
            }
        } else {
            error = "unknown option: " + flag;
            return std::nullopt;
        }
    }
    if (!haveData || !havePassword) {
        error = "--data and --password are required";
        return std::nullopt;
    }
    return options;
}

}  // namespace kelvar::standin
