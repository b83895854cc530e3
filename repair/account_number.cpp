#include "account_number.h"

#include <charconv>

#include "platform/text.h"

namespace kelvar {
namespace {

constexpr std::size_t kFirstCharacter = 8;  // counted from 1, after "zrdata_"
constexpr std::size_t kCharacterCount = 3;

bool startsCharacter(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
}

// Characters, not bytes: a name may hold non-ASCII letters before the account id.
std::string_view characters(std::string_view text, std::size_t first, std::size_t count) {
    std::size_t begin = text.size();
    std::size_t end = text.size();
    std::size_t seen = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!startsCharacter(text[i])) {
            continue;
        }
        ++seen;
        if (seen == first) {
            begin = i;
        } else if (seen == first + count) {
            end = i;
            break;
        }
    }
    return begin < end ? text.substr(begin, end - begin) : std::string_view{};
}

}  // namespace

std::optional<AccountNumber> accountNumberFrom(std::string_view databaseName) {
    const std::string_view text =
        trimmed(characters(databaseName, kFirstCharacter, kCharacterCount));
    const std::string_view digits = text.starts_with('-') ? text.substr(1) : text;
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos) {
        return std::nullopt;
    }
    AccountNumber number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc{} || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return number;
}

}  // namespace kelvar
