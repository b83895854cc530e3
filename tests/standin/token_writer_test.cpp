#include "token_writer.h"

#include <gtest/gtest.h>

#include "result_set.h"

namespace kelvar::standin {
namespace {

std::uint16_t u16At(const Bytes& b, std::size_t at) {
    return static_cast<std::uint16_t>(b.at(at) | (b.at(at + 1) << 8));
}

TEST(TokenWriter, DoneCarriesStatusAndEightByteCount) {
    TokenWriter w("S");
    w.done(done_status::kMore | done_status::kCount, 0x0102030405);
    EXPECT_EQ(w.take(), (Bytes{0xFD, 0x11, 0x00, 0x00, 0x00, 0x05, 0x04, 0x03, 0x02, 0x01, 0x00,
                               0x00, 0x00}));
}

TEST(TokenWriter, LengthFieldsMatchTheirContent) {
    // FreeTDS does not re-check these lengths; a wrong one desynchronises the stream.
    TokenWriter error("KELVAR");
    error.error({208, 1, 16, "Invalid object name '表'."});
    const Bytes e = error.take();
    EXPECT_EQ(e[0], 0xAA);
    EXPECT_EQ(u16At(e, 1), e.size() - 3);
    EXPECT_EQ(u16At(e, 3), 208);
    EXPECT_EQ(e[7], 1);          // state
    EXPECT_EQ(e[8], 16);         // class
    EXPECT_EQ(u16At(e, 9), 24);  // characters of the message

    TokenWriter ack("KELVAR");
    ack.loginAck(0x74000004);
    const Bytes a = ack.take();
    EXPECT_EQ(a[0], 0xAD);
    EXPECT_EQ(u16At(a, 1), a.size() - 3);
    EXPECT_EQ(a[3], 1);  // interface: T-SQL
    EXPECT_EQ((Bytes{a[4], a[5], a[6], a[7]}), (Bytes{0x74, 0x00, 0x00, 0x04}));

    TokenWriter env("KELVAR");
    env.envChange(env_type::kDatabase, "zrsystem", "master");
    const Bytes v = env.take();
    EXPECT_EQ(u16At(v, 1), v.size() - 3);
    EXPECT_EQ(v.size(), 3u + 1 + 1 + 16 + 1 + 12);
}

TEST(TokenWriter, ResultEncodesEachWireTypeAndNulls) {
    ResultSet r;
    r.columns = {
        {"i", WireType::kBigInt, 1}, {"f", WireType::kFloat, 1}, {"s", WireType::kNVarChar, 2}};
    r.rows = {{std::int64_t{-2}, 0.5, std::string("ab")}, {{}, {}, {}}};
    TokenWriter w("S");
    w.result(r);
    const Bytes b = w.take();
    const Bytes
        expected = {0x81, 0x03, 0x00,  // COLMETADATA, 3
                    0,    0,    0,    0,    0x01, 0x00, 0x26, 0x08, 0x01, 'i',  0x00,  // bigint
                    0,    0,    0,    0,    0x01, 0x00, 0x6D, 0x08, 0x01, 'f',  0x00,  // float
                    0,    0,    0,    0,    0x01, 0x00, 0xE7, 0x04, 0x00, 0x09, 0x04,
                    0xD0, 0x00,  // nvarchar(2)
                    0x34, 0x01, 's',  0x00, 0xD1, 0x08, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF,
                    0xFF, 0xFF, 0xFF,                                      // -2
                    0x08, 0,    0,    0,    0,    0,    0,    0xE0, 0x3F,  // 0.5
                    0x04, 0x00, 'a',  0x00, 'b',  0x00,                    // "ab"
                    0xD1, 0x00, 0x00, 0xFF, 0xFF};                         // NULLs
    EXPECT_EQ(b, expected);
}

TEST(TokenWriter, LongTextGoesInPlpChunks) {
    ResultSet r;
    r.columns = {{"s", WireType::kNVarCharMax, 1}};
    r.rows = {{std::string(5000, 'x')}, {Value{}}};
    TokenWriter w("S");
    w.result(r);
    const Bytes b = w.take();
    // metadata: 3 + 4 + 2 + type 1 + max 2 + collation 5 + name 3 = 20
    EXPECT_EQ(u16At(b, 10), 0xFFFF);
    std::size_t at = 20;
    EXPECT_EQ(b.at(at), 0xD1);
    EXPECT_EQ(u16At(b, at + 1), 10000);  // total length, low half
    at += 1 + 8;
    EXPECT_EQ(u16At(b, at), 8000);  // first chunk
    at += 4 + 8000;
    EXPECT_EQ(u16At(b, at), 2000);  // second chunk
    at += 4 + 2000;
    EXPECT_EQ((Bytes(b.begin() + at, b.begin() + at + 4)), (Bytes{0, 0, 0, 0}));
    at += 4;
    EXPECT_EQ(b.at(at), 0xD1);
    EXPECT_EQ((Bytes(b.begin() + at + 1, b.end())), Bytes(8, 0xFF));  // PLP NULL
}

struct TypingCase {
    const char* name;
    std::vector<Value> values;
    std::string declared;
    WireType type;
    std::uint16_t maxChars;
};

TEST(WireTypes, ChosenFromValuesThenDeclaration) {
    const TypingCase cases[] = {
        {"integers",
         {std::int64_t{1}, Value{}, std::int64_t{3000000000}},
         "",
         WireType::kBigInt,
         1},
        {"integers and reals", {std::int64_t{1}, 2.5}, "INTEGER", WireType::kFloat, 1},
        {"text wins", {std::int64_t{12}, std::string("中文x")}, "", WireType::kNVarChar, 3},
        {"only nulls, text declared", {Value{}}, "TEXT COLLATE NOCASE", WireType::kNVarChar, 1},
        {"only nulls, real declared", {Value{}}, "REAL", WireType::kFloat, 1},
        {"only nulls, nothing declared", {Value{}}, "", WireType::kBigInt, 1},
        {"astral characters count twice", {std::string("𝄞")}, "", WireType::kNVarChar, 2},
        {"over 4000 characters", {std::string(4001, 'y')}, "", WireType::kNVarCharMax, 1},
    };
    for (const auto& c : cases) {
        // Starts as a type and size no case expects, so a column left untouched fails.
        ResultSet r;
        r.columns = {{"c", WireType::kNVarChar, 0}};
        for (const auto& v : c.values) {
            r.rows.push_back({v});
        }
        assignWireTypes(r, {c.declared});
        EXPECT_EQ(r.columns[0].type, c.type) << c.name;
        if (c.type == WireType::kNVarChar) {
            EXPECT_EQ(r.columns[0].maxChars, c.maxChars) << c.name;
        }
    }
}

TEST(WireTypes, ValuesAreConvertedToTheChosenType) {
    ResultSet r;
    r.columns = {{"mixed", WireType::kNVarChar, 0}, {"text", WireType::kNVarChar, 0}};
    r.rows = {{std::int64_t{2}, std::int64_t{42}}, {0.25, std::string("x")}};
    assignWireTypes(r, {"", ""});
    EXPECT_EQ(r.columns[0].type, WireType::kFloat);
    EXPECT_EQ(r.columns[1].type, WireType::kNVarChar);
    EXPECT_EQ(r.rows[0][0], Value{2.0});
    EXPECT_EQ(r.rows[1][0], Value{0.25});
    EXPECT_EQ(r.rows[0][1], Value{std::string("42")});
    EXPECT_EQ(r.rows[1][1], Value{std::string("x")});
    EXPECT_EQ(r.columns[1].maxChars, 2);
}

}  // namespace
}  // namespace kelvar::standin
