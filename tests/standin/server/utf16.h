// UTF-8 (everything inside the server) to and from UTF-16LE (everything on the TDS wire).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "bytes.h"

namespace kelvar::standin {

// Invalid UTF-8 becomes U+FFFD rather than an error: a bad byte in a value must not drop a session.
Bytes toUtf16le(std::string_view utf8);

// Unpaired surrogates become U+FFFD for the same reason.
std::string fromUtf16le(std::span<const std::uint8_t> utf16);

// Number of UTF-16 code units the text needs on the wire.
std::size_t utf16Length(std::string_view utf8);

}  // namespace kelvar::standin
