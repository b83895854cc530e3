#include "result_set.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "utf16.h"

namespace kelvar::standin {
namespace {

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

// SQLite's own affinity rules (datatype3.html, section 3.1), reduced to the three wire types.
WireType typeFromDeclaration(const std::string& declared) {
    const std::string d = lower(declared);
    if (d.find("int") != std::string::npos) {
        return WireType::kBigInt;
    }
    if (d.find("char") != std::string::npos || d.find("clob") != std::string::npos ||
        d.find("text") != std::string::npos) {
        return WireType::kNVarChar;
    }
    if (d.find("real") != std::string::npos || d.find("floa") != std::string::npos ||
        d.find("doub") != std::string::npos) {
        return WireType::kFloat;
    }
    return WireType::kBigInt;
}

std::string toText(const Value& v) {
    if (const auto* i = std::get_if<std::int64_t>(&v)) {
        return std::to_string(*i);
    }
    if (const auto* d = std::get_if<double>(&v)) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.17g", *d);
        return buf;
    }
    if (const auto* s = std::get_if<std::string>(&v)) {
        return *s;
    }
    return {};
}

}  // namespace

void assignWireTypes(ResultSet& result, const std::vector<std::string>& declared) {
    for (std::size_t c = 0; c < result.columns.size(); ++c) {
        bool anyInt = false;
        bool anyReal = false;
        bool anyText = false;
        for (const auto& row : result.rows) {
            anyInt |= std::holds_alternative<std::int64_t>(row[c]);
            anyReal |= std::holds_alternative<double>(row[c]);
            anyText |= std::holds_alternative<std::string>(row[c]);
        }
        WireType type = WireType::kBigInt;
        if (anyText) {
            type = WireType::kNVarChar;
        } else if (anyReal) {
            type = WireType::kFloat;
        } else if (!anyInt && c < declared.size() && !declared[c].empty()) {
            type = typeFromDeclaration(declared[c]);
        }

        std::size_t longest = 1;
        for (auto& row : result.rows) {
            Value& v = row[c];
            if (std::holds_alternative<std::monostate>(v)) {
                continue;
            }
            if (type == WireType::kNVarChar) {
                v = toText(v);
                longest = std::max(longest, utf16Length(std::get<std::string>(v)));
            } else if (type == WireType::kFloat) {
                if (const auto* i = std::get_if<std::int64_t>(&v)) {
                    v = static_cast<double>(*i);
                }
            }
        }
        Column& column = result.columns[c];
        column.type = type;
        if (type == WireType::kNVarChar && longest > kMaxNVarCharChars) {
            column.type = WireType::kNVarCharMax;
        } else {
            column.maxChars = static_cast<std::uint16_t>(longest);
        }
    }
}

}  // namespace kelvar::standin
