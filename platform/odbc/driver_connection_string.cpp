#include "platform/odbc/driver_connection_string.h"

#include <algorithm>
#include <charconv>
#include <optional>

#include "platform/odbc/ado_errors.h"
#include "platform/text.h"

namespace kelvar::odbc {
namespace {

constexpr std::string_view kFreeTds = "FreeTDS";
// FreeTDS has no default port in a string without a DSN.
constexpr std::string_view kDefaultPort = "1433";

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           equalsIgnoringAsciiCase(text.substr(0, prefix.size()), prefix);
}

// One keyword=value pair as a driver reads it. `keyword` names the OLE DB keyword the value came
// from, so a refusal can say which one without showing the value.
struct Pair {
    std::string_view odbcKeyword;
    std::string value;
    std::string_view from;
};

// FreeTDS 1.3 ends a braced value at the first "};" and does not undo "}}", while 1.4 does; values
// are therefore braced only when they must be, and a value that would need a '}' inside braces
// cannot be written for both and is refused.
std::string freeTdsValue(const Pair& pair) {
    const std::string& value = pair.value;
    const bool needsBraces = value.find(';') != std::string::npos ||
                             (!value.empty() && (value.front() == '{' || isBlank(value.front()) ||
                                                 isBlank(value.back())));
    if (!needsBraces) {
        return value;
    }
    if (value.find('}') != std::string::npos) {
        throw ado::unusableArgument(
            "The FreeTDS driver cannot take this " + std::string(pair.from) +
            ": it holds '}' together with ';', a leading '{' or blanks at either end.");
    }
    return "{" + value + "}";
}

// Microsoft's drivers follow the ODBC rule: a braced value ends at a lone '}', and "}}" is one '}'.
std::string microsoftValue(const Pair& pair) {
    const std::string& value = pair.value;
    const bool needsBraces = value.find_first_of(";{}") != std::string::npos ||
                             (!value.empty() && (isBlank(value.front()) || isBlank(value.back())));
    if (!needsBraces) {
        return value;
    }
    std::string braced = "{";
    for (const char c : value) {
        braced += c;
        if (c == '}') {
            braced += '}';
        }
    }
    return braced + "}";
}

void requireSqlOleDb(const ConnectionSettings& settings) {
    const auto provider = settings.value("Provider");
    if (!provider) {
        throw ado::providerNotFound(
            "The connection string names no provider; only SQLOLEDB is supported.");
    }
    if (!equalsIgnoringAsciiCase(trimmed(*provider), "SQLOLEDB")) {
        throw ado::providerNotFound("The connection string names the provider '" + *provider +
                                    "'; only SQLOLEDB is supported.");
    }
}

bool isLocalHost(std::string_view host) {
    return host.empty() || host == "." || equalsIgnoringAsciiCase(host, "(local)") ||
           equalsIgnoringAsciiCase(host, "localhost");
}

// "host", "host,port", "host\instance", each maybe behind "tcp:", as FreeTDS needs them: a
// numeric address for the local names it cannot resolve, and always a port unless an instance
// is looked up by name.
void addFreeTdsServer(std::string_view dataSource, std::vector<Pair>& pairs) {
    constexpr std::string_view kFrom = "Data Source";
    std::string_view server = trimmed(dataSource);
    if (startsWithIgnoringCase(server, "tcp:")) {
        server.remove_prefix(4);
    }
    std::optional<std::string_view> port;
    if (const auto comma = server.rfind(','); comma != std::string_view::npos) {
        port = trimmed(server.substr(comma + 1));
        server = server.substr(0, comma);
        unsigned number = 0;
        const auto [end, error] =
            std::from_chars(port->data(), port->data() + port->size(), number);
        if (port->empty() || error != std::errc{} || end != port->data() + port->size() ||
            number == 0 || number > 65535) {
            throw ado::unusableArgument(
                "The server name ends in a port that is not a number from 1 to 65535.");
        }
    }
    std::string_view host = server;
    std::string_view instance;
    if (const auto slash = server.find('\\'); slash != std::string_view::npos) {
        host = server.substr(0, slash);
        instance = server.substr(slash);
    }
    host = trimmed(host);
    std::string address = isLocalHost(host) ? "127.0.0.1" : std::string(host);
    address += instance;
    pairs.push_back({"Server", std::move(address), kFrom});
    if (port || instance.empty()) {
        pairs.push_back({"Port", std::string(port.value_or(kDefaultPort)), kFrom});
    }
}

}  // namespace

std::string chooseDriver(const std::vector<std::string>& installed) {
    for (const std::string_view wanted : kSqlServerDrivers) {
        const bool present = std::any_of(
            installed.begin(), installed.end(),
            [wanted](const std::string& name) { return equalsIgnoringAsciiCase(name, wanted); });
        if (present) {
            return std::string(wanted);
        }
    }
    std::string names;
    for (const std::string_view wanted : kSqlServerDrivers) {
        names += names.empty() ? "" : ", ";
        names += wanted;
    }
    throw ado::providerNotFound("No ODBC driver for SQL Server is installed. Looked for: " + names +
                                ".");
}

std::string buildDriverConnectionString(const ConnectionSettings& settings,
                                        std::string_view driver) {
    requireSqlOleDb(settings);
    const bool freeTds = equalsIgnoringAsciiCase(driver, kFreeTds);
    const std::string dataSource = settings.value("Data Source").value_or("");

    std::vector<Pair> pairs;
    if (freeTds) {
        addFreeTdsServer(dataSource, pairs);
    } else {
        const std::string_view server = trimmed(dataSource);
        pairs.push_back(
            {"Server", std::string(server.empty() ? "(local)" : server), "Data Source"});
    }
    const std::pair<std::string_view, std::string_view> passedOn[] = {
        {"User ID", "UID"}, {"Password", "PWD"}, {"Initial Catalog", "Database"}};
    for (const auto& [oleDb, odbc] : passedOn) {
        if (auto value = settings.value(oleDb)) {
            pairs.push_back({odbc, std::move(*value), oleDb});
        }
    }
    if (freeTds) {
        // An automatic version may fall back to TDS 5.0 and hang on a silent server.
        pairs.push_back({"TDS_Version", "7.4", {}});
        pairs.push_back({"ClientCharset", "UTF-8", {}});
        // The login inside TLS whenever the server can, as every SQL Server offers; stated so
        // that no freetds.conf can turn it off or make it required.
        pairs.push_back({"Encryption", "request", {}});
    } else {
        // Driver 18 encrypts by default and refuses an untrusted certificate; the classic provider
        // did neither.
        pairs.push_back({"Encrypt", "no", {}});
        pairs.push_back({"TrustServerCertificate", "yes", {}});
    }

    std::string text = "Driver={" + std::string(driver) + "};";
    for (const Pair& pair : pairs) {
        if (pair.value.find('\0') != std::string::npos) {
            throw ado::unusableArgument("The " + std::string(pair.from) +
                                        " holds a NUL character, which no driver can take.");
        }
        text += pair.odbcKeyword;
        text += '=';
        text += freeTds ? freeTdsValue(pair) : microsoftValue(pair);
        text += ';';
    }
    return text;
}

}  // namespace kelvar::odbc
