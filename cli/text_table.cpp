#include "cli/text_table.h"

#include <algorithm>
#include <array>
#include <utility>

namespace kelvar::cli {
namespace {

struct Range {
    char32_t first;
    char32_t last;
};

// Unicode's East Asian Width classes W and F, gathered into blocks: CJK, kana, Hangul, full-width
// forms and the ideograph planes.
constexpr std::array<Range, 15> kWide{{
    {0x1100, 0x115F},
    {0x2E80, 0x303E},
    {0x3041, 0x33FF},
    {0x3400, 0x4DBF},
    {0x4E00, 0x9FFF},
    {0xA000, 0xA4CF},
    {0xAC00, 0xD7A3},
    {0xF900, 0xFAFF},
    {0xFE10, 0xFE19},
    {0xFE30, 0xFE6F},
    {0xFF00, 0xFF60},
    {0xFFE0, 0xFFE6},
    {0x1F300, 0x1F64F},
    {0x1F900, 0x1F9FF},
    {0x20000, 0x3FFFD},
}};

constexpr std::array<Range, 4> kZeroWidth{{
    {0x0300, 0x036F},
    {0x200B, 0x200F},
    {0x20D0, 0x20FF},
    {0xFE00, 0xFE0F},
}};

bool within(char32_t c, const auto& ranges) {
    return std::any_of(ranges.begin(), ranges.end(),
                       [c](const Range& r) { return c >= r.first && c <= r.last; });
}

// One code point from the front of the text and the bytes it took; a stray byte is taken alone.
std::pair<char32_t, std::size_t> decode(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text[0]);
    std::size_t length = 1;
    char32_t c = lead;
    if (lead >= 0xF0 && lead < 0xF8) {
        length = 4;
        c = lead & 0x07U;
    } else if (lead >= 0xE0) {
        length = 3;
        c = lead & 0x0FU;
    } else if (lead >= 0xC0) {
        length = 2;
        c = lead & 0x1FU;
    } else {
        return {c, 1};
    }
    if (length > text.size()) {
        return {lead, 1};
    }
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[i]);
        if ((next & 0xC0U) != 0x80U) {
            return {lead, 1};
        }
        c = (c << 6U) | (next & 0x3FU);
    }
    return {c, length};
}

}  // namespace

std::size_t displayWidth(std::string_view text) {
    std::size_t width = 0;
    while (!text.empty()) {
        const auto [c, length] = decode(text);
        text.remove_prefix(length);
        if (within(c, kZeroWidth)) {
            continue;
        }
        width += within(c, kWide) ? 2 : 1;
    }
    return width;
}

std::string formatTable(const std::vector<std::vector<std::string>>& rows) {
    std::vector<std::size_t> widths;
    for (const auto& row : rows) {
        widths.resize(std::max(widths.size(), row.size()), 0);
        for (std::size_t column = 0; column < row.size(); ++column) {
            widths[column] = std::max(widths[column], displayWidth(row[column]));
        }
    }
    std::string text;
    for (const auto& row : rows) {
        for (std::size_t column = 0; column < row.size(); ++column) {
            text += row[column];
            if (column + 1 < row.size()) {
                text.append(widths[column] - displayWidth(row[column]) + 2, ' ');
            }
        }
        text += '\n';
    }
    return text;
}

}  // namespace kelvar::cli
