#include "token_writer.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <stdexcept>

#include "utf16.h"

namespace kelvar::standin {
namespace {

constexpr std::uint8_t kTokenEnvChange = 0xE3;
constexpr std::uint8_t kTokenLoginAck = 0xAD;
constexpr std::uint8_t kTokenDone = 0xFD;
constexpr std::uint8_t kTokenColMetadata = 0x81;
constexpr std::uint8_t kTokenRow = 0xD1;

constexpr std::uint8_t kTypeIntN = 0x26;
constexpr std::uint8_t kTypeFltN = 0x6D;
constexpr std::uint8_t kTypeNVarChar = 0xE7;

constexpr std::uint8_t kEnvCollation = 7;
constexpr std::uint16_t kColumnNullable = 0x0001;
constexpr std::uint8_t kInterfaceTsql = 1;

// SQL_Latin1_General_CP1_CI_AS: LCID 0x0409, ignore case/kana/width, sort id 52. Declaring a
// case-insensitive collation matches how the data compares in SQLite (COLLATE NOCASE).
constexpr std::uint8_t kCollation[5] = {0x09, 0x04, 0xD0, 0x00, 0x34};

// B_VARCHAR lengths are one byte of UTF-16 units; longer text is cut rather than corrupting
// the stream.
Bytes clippedUtf16(const std::string& text, std::size_t maxUnits) {
    Bytes u = toUtf16le(text);
    if (u.size() > 2 * maxUnits) {
        u.resize(2 * maxUnits);
    }
    return u;
}

}  // namespace

void TokenWriter::bVarchar(const std::string& text) {
    const Bytes u = clippedUtf16(text, 255);
    out_.u8(static_cast<std::uint8_t>(u.size() / 2));
    out_.bytes(u);
}

void TokenWriter::collation() {
    out_.bytes(kCollation);
}

void TokenWriter::envChange(std::uint8_t type, const std::string& newValue,
                            const std::string& oldValue) {
    out_.u8(kTokenEnvChange);
    const std::size_t lengthAt = out_.size();
    out_.u16le(0);
    out_.u8(type);
    bVarchar(newValue);
    bVarchar(oldValue);
    out_.patchU16le(lengthAt, static_cast<std::uint16_t>(out_.size() - lengthAt - 2));
}

void TokenWriter::collationChange() {
    out_.u8(kTokenEnvChange);
    out_.u16le(1 + 1 + sizeof kCollation + 1);
    out_.u8(kEnvCollation);
    out_.u8(sizeof kCollation);
    collation();
    out_.u8(0);  // no old value
}

void TokenWriter::message(std::uint8_t token, const ServerMessage& m) {
    out_.u8(token);
    const std::size_t lengthAt = out_.size();
    out_.u16le(0);
    out_.u32le(static_cast<std::uint32_t>(m.number));
    out_.u8(m.state);
    out_.u8(m.severity);
    // US_VARCHAR; a message over 4000 characters is cut so the 16-bit token length holds.
    const Bytes text = clippedUtf16(m.text, 4000);
    out_.u16le(static_cast<std::uint16_t>(text.size() / 2));
    out_.bytes(text);
    bVarchar(serverName_);
    bVarchar("");
    out_.u32le(1);  // line number
    out_.patchU16le(lengthAt, static_cast<std::uint16_t>(out_.size() - lengthAt - 2));
}

void TokenWriter::loginAck(std::uint32_t tdsVersion) {
    const std::string progName = "Microsoft SQL Server";
    out_.u8(kTokenLoginAck);
    out_.u16le(static_cast<std::uint16_t>(1 + 4 + 1 + 2 * progName.size() + 4));
    out_.u8(kInterfaceTsql);
    out_.u32be(tdsVersion);
    bVarchar(progName);
    const std::uint8_t version[4] = {15, 0, 0x07, 0xD0};  // 15.0.2000
    out_.bytes(version);
}

void TokenWriter::done(std::uint16_t status, std::uint64_t rowCount) {
    out_.u8(kTokenDone);
    out_.u16le(status);
    out_.u16le(0);  // current command: FreeTDS ignores it
    out_.u64le(rowCount);
}

void TokenWriter::result(const ResultSet& result) {
    out_.u8(kTokenColMetadata);
    out_.u16le(static_cast<std::uint16_t>(result.columns.size()));
    for (const auto& column : result.columns) {
        out_.u32le(0);  // user type
        out_.u16le(kColumnNullable);
        switch (column.type) {
            case WireType::kBigInt:
                out_.u8(kTypeIntN);
                out_.u8(8);
                break;
            case WireType::kFloat:
                out_.u8(kTypeFltN);
                out_.u8(8);
                break;
            case WireType::kNVarChar:
                out_.u8(kTypeNVarChar);
                out_.u16le(static_cast<std::uint16_t>(2 * column.maxChars));
                collation();
                break;
            case WireType::kNVarCharMax:
                out_.u8(kTypeNVarChar);
                out_.u16le(0xFFFF);
                collation();
                break;
        }
        bVarchar(column.name);
    }

    for (const auto& row : result.rows) {
        out_.u8(kTokenRow);
        for (std::size_t c = 0; c < result.columns.size(); ++c) {
            const Value& v = row[c];
            const bool isNull = std::holds_alternative<std::monostate>(v);
            switch (result.columns[c].type) {
                case WireType::kBigInt:
                    if (isNull) {
                        out_.u8(0);
                    } else {
                        out_.u8(8);
                        out_.u64le(static_cast<std::uint64_t>(std::get<std::int64_t>(v)));
                    }
                    break;
                case WireType::kFloat:
                    if (isNull) {
                        out_.u8(0);
                    } else {
                        out_.u8(8);
                        out_.u64le(std::bit_cast<std::uint64_t>(std::get<double>(v)));
                    }
                    break;
                case WireType::kNVarChar:
                    if (isNull) {
                        out_.u16le(0xFFFF);
                    } else {
                        const Bytes u = toUtf16le(std::get<std::string>(v));
                        out_.u16le(static_cast<std::uint16_t>(u.size()));
                        out_.bytes(u);
                    }
                    break;
                case WireType::kNVarCharMax:
                    if (isNull) {
                        out_.u64le(~std::uint64_t{0});
                    } else {
                        // PLP: total length, then chunks, then a zero-length terminator.
                        const Bytes u = toUtf16le(std::get<std::string>(v));
                        out_.u64le(u.size());
                        constexpr std::size_t kChunk = 8000;
                        for (std::size_t at = 0; at < u.size(); at += kChunk) {
                            const std::size_t n = std::min(kChunk, u.size() - at);
                            out_.u32le(static_cast<std::uint32_t>(n));
                            out_.bytes(std::span(u).subspan(at, n));
                        }
                        out_.u32le(0);
                    }
                    break;
            }
        }
    }
}

}  // namespace kelvar::standin
