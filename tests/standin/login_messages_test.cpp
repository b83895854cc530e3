#include "login_messages.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>

#include "utf16.h"

namespace kelvar::standin {
namespace {

// The options of a PRELOGIN payload by token.
std::map<std::uint8_t, Bytes> preloginOptions(const Bytes& payload) {
    std::map<std::uint8_t, Bytes> options;
    std::size_t at = 0;
    while (payload.at(at) != 0xFF) {
        const std::size_t offset = (payload.at(at + 1) << 8) | payload.at(at + 2);
        const std::size_t length = (payload.at(at + 3) << 8) | payload.at(at + 4);
        EXPECT_LE(offset + length, payload.size());
        options[payload[at]] =
            Bytes(payload.begin() + static_cast<std::ptrdiff_t>(offset),
                  payload.begin() + static_cast<std::ptrdiff_t>(offset + length));
        at += 5;
    }
    return options;
}

TEST(Prelogin, ReplyCarriesTheEncryptionAnswerAndMarsOff) {
    for (const std::uint8_t encryption : {0x00, 0x01, 0x02, 0x03}) {
        const auto options = preloginOptions(preloginReply(encryption));
        EXPECT_EQ(options.at(0x01), Bytes{encryption});
        EXPECT_EQ(options.at(0x04), Bytes{0x00});  // MARS off
        EXPECT_EQ(options.at(0x00).size(), 6u);    // version
    }
}

TEST(Prelogin, ReadsTheClientsEncryptionByteOrNotSupportedWithoutOne) {
    // FreeTDS 1.3 with TDS 7.4: version, encryption = 0x01, instance, thread id, MARS.
    const Bytes freetds = {0x00, 0x00, 0x1A, 0x00, 0x06, 0x01, 0x00, 0x20, 0x00, 0x01,
                           0x02, 0x00, 0x21, 0x00, 0x0C, 0x03, 0x00, 0x2D, 0x00, 0x04,
                           0x04, 0x00, 0x31, 0x00, 0x01, 0xFF, 0x09, 0x00, 0x00, 0x00,
                           0x00, 0x00, 0x01, 'M',  'S',  'S',  'Q',  'L',  'S',  'e',
                           'r',  'v',  'e',  'r',  0x00, 0x00, 0x00, 0x30, 0x39, 0x00};
    EXPECT_EQ(clientEncryption(freetds), 0x01);
    const Bytes versionOnly = {0x00, 0x00, 0x06, 0x00, 0x06, 0xFF,
                               0x0C, 0x00, 0x00, 0x00, 0x00, 0x00};
    EXPECT_EQ(clientEncryption(versionOnly), 0x02);
    EXPECT_THROW(clientEncryption(Bytes{0x01, 0x00, 0x40, 0x00, 0x01, 0xFF}), ProtocolError);
    EXPECT_THROW(clientEncryption(Bytes{0x00, 0x00, 0x06}), ProtocolError);
}

struct Negotiation {
    EncryptionMode mode;
    std::uint8_t client;
    std::optional<std::uint8_t> reply;  // nullopt: refused
    Protection protection;
};

TEST(Prelogin, AnswersEncryptionAsSqlServerDoes) {
    using enum EncryptionMode;
    const Negotiation rows[] = {
        {kOff, 0x00, 0x02, Protection::kNone},           {kOff, 0x01, 0x02, Protection::kNone},
        {kOff, 0x02, 0x02, Protection::kNone},           {kLogin, 0x00, 0x00, Protection::kLogin},
        {kLogin, 0x01, 0x01, Protection::kSession},      {kLogin, 0x02, 0x02, Protection::kNone},
        {kForce, 0x00, 0x03, Protection::kSession},      {kForce, 0x01, 0x03, Protection::kSession},
        {kForce, 0x02, std::nullopt, Protection::kNone},
    };
    for (const auto& row : rows) {
        const auto answer = answerEncryption(row.mode, row.client);
        const std::string label = "mode " + std::to_string(static_cast<int>(row.mode)) +
                                  ", client " + std::to_string(row.client);
        ASSERT_EQ(answer.has_value(), row.reply.has_value()) << label;
        if (answer) {
            EXPECT_EQ(answer->reply, *row.reply) << label;
            EXPECT_EQ(answer->protection, row.protection) << label;
        }
    }
    EXPECT_EQ(protectionName(Protection::kNone), "none");
    EXPECT_EQ(protectionName(Protection::kLogin), "login");
    EXPECT_EQ(protectionName(Protection::kSession), "session");
}

TEST(Login7, PasswordScramblingSwapsNibblesThenXors) {
    // 'a' is 61 00 in UTF-16LE: nibbles swapped 16 00, XOR A5 gives B3 A5.
    EXPECT_EQ(scramblePassword(toUtf16le("a")), (Bytes{0xB3, 0xA5}));
    const Bytes mixed = toUtf16le("密码;x}");
    EXPECT_EQ(unscramblePassword(scramblePassword(mixed)), mixed);
}

// Lays out a LOGIN7 as FreeTDS does: the fixed part, then the strings it points to.
Bytes login7(const std::string& user, const std::string& password, const std::string& database) {
    const std::string fields[] = {"host", user, "",           "app",   "127.0.0.1",
                                  "",     "",   "us_english", database};
    const std::size_t fieldAt[] = {36, 40, 44, 48, 52, 56, 60, 64, 68};
    Bytes fixed(94, 0);
    ByteWriter strings;
    for (std::size_t i = 0; i < std::size(fields); ++i) {
        Bytes u = toUtf16le(fields[i]);
        if (fieldAt[i] == 44) {
            u = scramblePassword(toUtf16le(password));
        }
        const std::size_t offset = 94 + strings.size();
        fixed[fieldAt[i]] = static_cast<std::uint8_t>(offset);
        fixed[fieldAt[i] + 1] = static_cast<std::uint8_t>(offset >> 8);
        fixed[fieldAt[i] + 2] = static_cast<std::uint8_t>(u.size() / 2);
        strings.bytes(u);
    }
    const Bytes version = {0x04, 0x00, 0x00, 0x74};
    std::copy(version.begin(), version.end(), fixed.begin() + 4);
    fixed[9] = 0x10;  // packet size 4096
    fixed.insert(fixed.end(), strings.data().begin(), strings.data().end());
    return fixed;
}

TEST(Login7, DecodesUserPasswordDatabaseAndVersion) {
    const Login7 login = decodeLogin7(login7("sa", "密码;x", "zrdata_001_2024"));
    EXPECT_EQ(login.tdsVersion, 0x74000004u);
    EXPECT_EQ(login.packetSize, 4096u);
    EXPECT_EQ(login.userName, "sa");
    EXPECT_EQ(login.password, "密码;x");
    EXPECT_EQ(login.database, "zrdata_001_2024");
    EXPECT_EQ(login.hostName, "host");
}

TEST(Login7, RejectsFieldsOutsideTheMessage) {
    Bytes message = login7("sa", "pw", "db");
    message.resize(message.size() - 2);  // cut the database name short
    EXPECT_THROW(decodeLogin7(message), ProtocolError);
    EXPECT_THROW(decodeLogin7(Bytes(60, 0)), ProtocolError);
}

TEST(Utf16, RoundTripsAstralCharactersAndReplacesBrokenInput) {
    const std::string text = "a中𝄞";
    const Bytes u = toUtf16le(text);
    EXPECT_EQ(u, (Bytes{'a', 0, 0x2D, 0x4E, 0x34, 0xD8, 0x1E, 0xDD}));
    EXPECT_EQ(fromUtf16le(u), text);
    EXPECT_EQ(utf16Length(text), 4u);
    EXPECT_EQ(fromUtf16le(toUtf16le("x\xE4\xB8")), "x\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(fromUtf16le(Bytes{0x34, 0xD8}), "\xEF\xBF\xBD");  // lone surrogate
}

}  // namespace
}  // namespace kelvar::standin
