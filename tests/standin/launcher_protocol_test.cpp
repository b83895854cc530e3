// The fields a Windows test's harness and kelvar-standin-launcher exchange.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>

#include "launcher_protocol.h"

namespace kelvar::standin::launcher {
namespace {

// A byte source that hands out at most `chunk` bytes a call, as a socket may.
FieldReader readerOver(const std::string& bytes, std::size_t chunk) {
    return FieldReader([bytes, chunk, at = std::size_t{0}](char* out, std::size_t size) mutable {
        const std::size_t n = std::min({chunk, size, bytes.size() - at});
        std::memcpy(out, bytes.data() + at, n);
        at += n;
        return n;
    });
}

TEST(LauncherProtocol, FieldsReadBackWhateverTheyHoldHoweverTheBytesArrive) {
    const std::string sql = "zrsystem\nCREATE TRIGGER t ... 'no ch today'; END;\n";
    const std::string password = "a b\n\"密码\" 12 \x01";
    const std::string wire = encode("sql", sql) + encode("password", password) + encode("start");
    for (const std::size_t chunk : {std::size_t{1}, std::size_t{3}, std::size_t{4096}}) {
        FieldReader reader = readerOver(wire, chunk);
        const auto first = reader.next();
        const auto second = reader.next();
        const auto third = reader.next();
        ASSERT_TRUE(first && second && third) << chunk;
        EXPECT_EQ(first->name, "sql");
        EXPECT_EQ(first->value, sql);
        EXPECT_EQ(second->name, "password");
        EXPECT_EQ(second->value, password);
        EXPECT_EQ(third->name, "start");
        EXPECT_EQ(third->value, "");
        EXPECT_FALSE(reader.next()) << "an orderly end between fields";
    }
}

TEST(LauncherProtocol, ATornFieldIsAnErrorNotAnEnd) {
    const std::string whole = encode("port", "1433");
    for (std::size_t cut = 1; cut < whole.size(); ++cut) {
        FieldReader reader = readerOver(whole.substr(0, cut), 4096);
        EXPECT_THROW(reader.next(), std::runtime_error) << cut;
    }
}

}  // namespace
}  // namespace kelvar::standin::launcher
