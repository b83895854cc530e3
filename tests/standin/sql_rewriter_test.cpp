#include "sql_rewriter.h"

#include <gtest/gtest.h>

#include "golden_texts.h"
#include "sql_session.h"

namespace kelvar::standin {
namespace {

struct RewriteCase {
    const char* name;
    const char* input;
    const char* current;
    const char* expected;
    std::vector<std::string> databases;
};

void PrintTo(const RewriteCase& c, std::ostream* os) {
    *os << c.name;
}

class SqlRewriterRewrites : public ::testing::TestWithParam<RewriteCase> {};

TEST_P(SqlRewriterRewrites, ToSqliteText) {
    const RewriteCase& c = GetParam();
    const Statement st = rewriteStatement(c.input, c.current);
    EXPECT_EQ(st.kind, StatementKind::kQuery);
    EXPECT_EQ(st.text, c.expected);
    EXPECT_EQ(st.databases, c.databases);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SqlRewriterRewrites,
    ::testing::Values(
        RewriteCase{"AccountListQuery",
                    golden::kAccountListQuery.data(),
                    "master",
                    "Select distinct [name] from main.[sysdatabases], zrsystem.za_account_sub "
                    "where [name] = 'zrdata_'||cacc_id||'_'||cast (iyear as text)",
                    {"zrsystem"}},
        RewriteCase{"MaxQueryIsLeftAlone",
                    golden::kMaximumQueryRd.data(),
                    "zrdata_001_2024",
                    golden::kMaximumQueryRd.data(),
                    {}},
        RewriteCase{"OtherDatabaseIsReported",
                    "update zrsystem..za_identity set ifatherid=120,iChildId=5000 where "
                    "cAcc_id=1 and cvouchtype='rd'",
                    "zrdata_001_2024",
                    "update zrsystem.za_identity set ifatherid=120,iChildId=5000 where cAcc_id=1 "
                    "and cvouchtype='rd'",
                    {"zrsystem"}},
        RewriteCase{"CurrentDatabaseBecomesMainWhateverItsCase",
                    "insert into ZRSYSTEM..za_identity(cAcc_Id)values(1)",
                    "zrsystem",
                    "insert into main.za_identity(cAcc_Id)values(1)",
                    {}},
        RewriteCase{"BracketedAndDboQualifiedNames",
                    "select * from [zrdata_002_2024]..[rdrecord], zrsystem.dbo.za_identity, "
                    "dbo.x",
                    "master",
                    "select * from [zrdata_002_2024].[rdrecord], zrsystem.za_identity, x",
                    {"zrdata_002_2024", "zrsystem"}},
        RewriteCase{"EachDatabaseReportedOnce",
                    "select * from zrsystem..a, ZRSYSTEM..b",
                    "master",
                    "select * from zrsystem.a, ZRSYSTEM.b",
                    {"zrsystem"}},
        RewriteCase{"ArithmeticPlusIsKept",
                    "update t set a = a + 1, b = (c + 2) * 3 where -d + 4 > 0",
                    "master",
                    "update t set a = a + 1, b = (c + 2) * 3 where -d + 4 > 0",
                    {}},
        RewriteCase{"PlusJoiningTextBecomesConcatenation",
                    "select 'a' + b, c + 1, ltrim(x) + N'中' from t",
                    "master",
                    "select 'a' || b, c + 1, ltrim(x) || '中' from t",
                    {}},
        RewriteCase{"PlusInsideNestedCallsIsJudgedPerChain",
                    "select max(x + 1), upper(y + 'z') from t",
                    "master",
                    "select max(x + 1), upper(y || 'z') from t",
                    {}},
        RewriteCase{"CharacterCastsBecomeText",
                    "select cast(a as nvarchar(20)), CAST(b AS NChar), cast(c as int), "
                    "cast(d as varchar(max)) + e from t",
                    "master",
                    "select cast(a as text), CAST(b AS text), cast(c as int), cast(d as text) || e "
                    "from t",
                    {}},
        RewriteCase{"StringLiteralsAreUntouched",
                    "select 'a..b + c', 'it''s', N'x..y' from t",
                    "master",
                    "select 'a..b + c', 'it''s', 'x..y' from t",
                    {}},
        RewriteCase{"CommentsAreDropped",
                    "select 1 -- x..y + 'z'\n/* a..b */ from t",
                    "master",
                    "select 1 from t",
                    {}}),
    [](const ::testing::TestParamInfo<RewriteCase>& info) { return info.param.name; });

TEST(SqlRewriter, SplitsBatchAtTopLevelSemicolonsOnly) {
    EXPECT_EQ(splitBatch("select 1; select ';' ;\n;  -- only a comment\n"),
              (std::vector<std::string>{"select 1", " select ';' "}));
    EXPECT_TRUE(splitBatch(" ; ").empty());
    EXPECT_EQ(splitBatch("select 1"), std::vector<std::string>{"select 1"});
}

TEST(SqlRewriter, RecognisesUseAndSet) {
    const Statement bracketed = rewriteStatement("USE [my]]db]", "master");
    EXPECT_EQ(bracketed.kind, StatementKind::kUse);
    EXPECT_EQ(bracketed.database, "my]db");
    const Statement plain = rewriteStatement("\r\n use zrsystem", "master");
    EXPECT_EQ(plain.kind, StatementKind::kUse);
    EXPECT_EQ(plain.database, "zrsystem");

    EXPECT_EQ(rewriteStatement("SET NOCOUNT ON", "master").kind, StatementKind::kSet);
    EXPECT_EQ(rewriteStatement("set textsize 2147483647 ", "master").kind, StatementKind::kSet);
    EXPECT_EQ(rewriteStatement("update t set x = 1", "master").kind, StatementKind::kQuery);
    EXPECT_EQ(rewriteStatement("select user", "master").kind, StatementKind::kQuery);
}

TEST(SqlRewriter, NamesResultColumnsAsSqlServerDoes) {
    EXPECT_EQ(resultColumnName("a.CMAKER"), "CMAKER");
    EXPECT_EQ(resultColumnName("[name]"), "name");
    EXPECT_EQ(resultColumnName("x.[y z]"), "y z");
    EXPECT_EQ(resultColumnName("\"q\""), "q");
    EXPECT_EQ(resultColumnName("idf"), "idf");
    EXPECT_EQ(resultColumnName("max(a.id)"), "max(a.id)");
    EXPECT_EQ(resultColumnName("1 + 2"), "1 + 2");
}

TEST(SqlErrors, SqliteMessagesBecomeSqlServerErrors) {
    struct Case {
        int code;
        const char* sqlite;
        int number;
        const char* text;
    };
    const Case cases[] = {
        {SQLITE_ERROR, "no such table: rdrecord", 208, "Invalid object name 'rdrecord'."},
        {SQLITE_ERROR, "no such table: main.rdrecord", 208, "Invalid object name 'rdrecord'."},
        {SQLITE_ERROR, "no such table: zrsystem.za_x", 208,
         "Invalid object name 'zrsystem..za_x'."},
        {SQLITE_ERROR, "no such column: a.idx", 207, "Invalid column name 'idx'."},
        {SQLITE_ERROR, "no such column: idx", 207, "Invalid column name 'idx'."},
        {SQLITE_CONSTRAINT_TRIGGER, "no ch today", 50000, "no ch today"},
        {SQLITE_ERROR, "near \"selec\": syntax error", 50000, "near \"selec\": syntax error"},
    };
    for (const auto& c : cases) {
        const ServerMessage m = serverErrorFor(c.code, c.sqlite);
        EXPECT_EQ(m.number, c.number) << c.sqlite;
        EXPECT_EQ(m.text, c.text) << c.sqlite;
        EXPECT_EQ(m.severity, 16) << c.sqlite;
    }
}

}  // namespace
}  // namespace kelvar::standin
