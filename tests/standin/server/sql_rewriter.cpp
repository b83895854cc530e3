#include "sql_rewriter.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstddef>

namespace kelvar::standin {
namespace {

enum class Kind {
    kSpace,
    kComment,
    kString,     // '...', or N'...' before rewriting
    kBracketed,  // [identifier]
    kQuoted,     // "identifier"
    kWord,       // identifier or keyword
    kNumber,
    kPunct,
};

struct Token {
    Kind kind;
    std::string text;
};

bool isWordChar(char c) {
    const auto u = static_cast<unsigned char>(c);
    return std::isalnum(u) || c == '_' || c == '@' || c == '#' || c == '$' || u >= 0x80;
}

std::string lower(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

// Consumes a run delimited by `close`, where a doubled `close` stands for itself.
std::size_t endOfDelimited(std::string_view s, std::size_t i, char close) {
    ++i;
    while (i < s.size()) {
        if (s[i] == close) {
            if (i + 1 < s.size() && s[i + 1] == close) {
                i += 2;
                continue;
            }
            return i + 1;
        }
        ++i;
    }
    return s.size();  // unterminated: SQLite will report it
}

std::vector<Token> tokenize(std::string_view s) {
    std::vector<Token> tokens;
    std::size_t i = 0;
    while (i < s.size()) {
        const char c = s[i];
        const std::size_t start = i;
        Kind kind = Kind::kPunct;
        if (std::isspace(static_cast<unsigned char>(c))) {
            while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) {
                ++i;
            }
            kind = Kind::kSpace;
        } else if (s.substr(i, 2) == "--") {
            i = s.find('\n', i);
            i = i == std::string_view::npos ? s.size() : i;
            kind = Kind::kComment;
        } else if (s.substr(i, 2) == "/*") {
            i = s.find("*/", i + 2);
            i = i == std::string_view::npos ? s.size() : i + 2;
            kind = Kind::kComment;
        } else if (c == '\'') {
            i = endOfDelimited(s, i, '\'');
            kind = Kind::kString;
        } else if ((c == 'N' || c == 'n') && i + 1 < s.size() && s[i + 1] == '\'') {
            i = endOfDelimited(s, i + 1, '\'');
            kind = Kind::kString;
        } else if (c == '[') {
            i = endOfDelimited(s, i, ']');
            kind = Kind::kBracketed;
        } else if (c == '"') {
            i = endOfDelimited(s, i, '"');
            kind = Kind::kQuoted;
        } else if (std::isdigit(static_cast<unsigned char>(c))) {
            while (i < s.size() && (std::isalnum(static_cast<unsigned char>(s[i])) ||
                                    (s[i] == '.' && s.substr(i, 2) != ".."))) {
                ++i;
            }
            kind = Kind::kNumber;
        } else if (isWordChar(c)) {
            while (i < s.size() && isWordChar(s[i])) {
                ++i;
            }
            kind = Kind::kWord;
        } else {
            static constexpr std::array<std::string_view, 5> kTwoChar = {"<=", ">=", "<>",
                                                                         "!=", "||"};
            const bool two =
                std::find(kTwoChar.begin(), kTwoChar.end(), s.substr(i, 2)) != kTwoChar.end();
            i += two ? 2 : 1;
        }
        tokens.push_back({kind, std::string(s.substr(start, i - start))});
    }
    return tokens;
}

bool significant(const Token& t) {
    return t.kind != Kind::kSpace && t.kind != Kind::kComment;
}
bool isPunct(const Token& t, std::string_view p) {
    return t.kind == Kind::kPunct && t.text == p;
}
bool isWord(const Token& t, std::string_view w) {
    return t.kind == Kind::kWord && lower(t.text) == w;
}
bool isName(const Token& t) {
    return t.kind == Kind::kWord || t.kind == Kind::kBracketed;
}

// The name inside [..] or "..", with doubled closing characters undone.
std::string unbracket(const Token& t) {
    if (t.kind != Kind::kBracketed && t.kind != Kind::kQuoted) {
        return t.text;
    }
    const char close = t.kind == Kind::kBracketed ? ']' : '"';
    std::string inner = t.text.substr(1, t.text.size() >= 2 ? t.text.size() - 2 : 0);
    std::string out;
    for (std::size_t i = 0; i < inner.size(); ++i) {
        out.push_back(inner[i]);
        if (inner[i] == close && i + 1 < inner.size() && inner[i + 1] == close) {
            ++i;
        }
    }
    return out;
}

bool isCharacterType(const Token& t) {
    static constexpr std::array<std::string_view, 6> kTypes = {"nchar",   "nvarchar", "char",
                                                               "varchar", "ntext",    "text"};
    return t.kind == Kind::kWord &&
           std::find(kTypes.begin(), kTypes.end(), lower(t.text)) != kTypes.end();
}

// A statement's significant tokens only: the rewrites below look at neighbours, and comments or
// blanks between them would only get in the way. One blank is put back where there were any.
struct Code {
    std::vector<Token> tokens;
    std::vector<bool> spaceBefore;
};

Code significantTokens(const std::vector<Token>& all) {
    Code code;
    bool pendingSpace = false;
    for (const auto& t : all) {
        if (!significant(t)) {
            pendingSpace = true;
            continue;
        }
        code.tokens.push_back(t);
        code.spaceBefore.push_back(pendingSpace);
        pendingSpace = false;
    }
    if (!code.spaceBefore.empty()) {
        code.spaceBefore[0] = false;
    }
    return code;
}

void erase(Code& code, std::size_t at, std::size_t count) {
    code.tokens.erase(code.tokens.begin() + static_cast<std::ptrdiff_t>(at),
                      code.tokens.begin() + static_cast<std::ptrdiff_t>(at + count));
    code.spaceBefore.erase(code.spaceBefore.begin() + static_cast<std::ptrdiff_t>(at),
                           code.spaceBefore.begin() + static_cast<std::ptrdiff_t>(at + count));
}

void addOnce(std::vector<std::string>& names, std::string name) {
    const auto same = [&](const std::string& n) { return lower(n) == lower(name); };
    if (std::none_of(names.begin(), names.end(), same)) {
        names.push_back(std::move(name));
    }
}

// `db..t` and `db.dbo.t` to `db.t` (or `main.t` for the current database); a `dbo.` that starts
// a name is dropped.
void rewriteNames(Code& code, std::string_view current, std::vector<std::string>& databases) {
    auto& t = code.tokens;
    auto qualify = [&](std::size_t at) {
        const std::string name = unbracket(t[at]);
        if (lower(name) == lower(current)) {
            t[at] = Token{Kind::kWord, "main"};
        } else {
            addOnce(databases, name);
        }
    };
    for (std::size_t i = 0; i < t.size(); ++i) {
        const bool startsName = isName(t[i]) && (i == 0 || !isPunct(t[i - 1], "."));
        if (!startsName || i + 1 >= t.size() || !isPunct(t[i + 1], ".")) {
            continue;
        }
        if (i + 3 < t.size() && isPunct(t[i + 2], ".") && isName(t[i + 3]) &&
            !code.spaceBefore[i + 1] && !code.spaceBefore[i + 2]) {
            qualify(i);
            erase(code, i + 2, 1);
        } else if (i + 4 < t.size() && isName(t[i + 2]) && lower(unbracket(t[i + 2])) == "dbo" &&
                   isPunct(t[i + 3], ".") && isName(t[i + 4])) {
            qualify(i);
            erase(code, i + 2, 2);
        } else if (lower(unbracket(t[i])) == "dbo" && i + 2 < t.size() && isName(t[i + 2]) &&
                   !(i + 3 < t.size() && isPunct(t[i + 3], "."))) {
            code.spaceBefore[i + 2] = code.spaceBefore[i];
            erase(code, i, 2);
        }
    }
}

// Index just past the group that opens at `open` (a "(" token).
std::size_t endOfGroup(const Code& code, std::size_t open) {
    int depth = 0;
    for (std::size_t i = open; i < code.tokens.size(); ++i) {
        if (isPunct(code.tokens[i], "(")) {
            ++depth;
        } else if (isPunct(code.tokens[i], ")") && --depth == 0) {
            return i + 1;
        }
    }
    return code.tokens.size();
}

void rewriteCasts(Code& code) {
    auto& t = code.tokens;
    for (std::size_t i = 0; i + 1 < t.size(); ++i) {
        if (!isWord(t[i], "cast") || !isPunct(t[i + 1], "(")) {
            continue;
        }
        const std::size_t end = endOfGroup(code, i + 1);
        int depth = 0;
        for (std::size_t k = i + 1; k < end; ++k) {
            depth += isPunct(t[k], "(") ? 1 : isPunct(t[k], ")") ? -1 : 0;
            if (depth == 1 && isWord(t[k], "as") && k + 1 < end && isCharacterType(t[k + 1])) {
                t[k + 1].text = "text";
                if (k + 2 < end && isPunct(t[k + 2], "(")) {
                    const std::size_t lengthEnd = endOfGroup(code, k + 2);
                    erase(code, k + 2, lengthEnd - (k + 2));
                }
                break;
            }
        }
    }
}

bool isKeyword(const Token& t) {
    static constexpr std::array<std::string_view, 38> kKeywords = {
        "select", "from",   "where",  "and",   "or",       "not",   "as",      "on",
        "join",   "inner",  "left",   "right", "outer",    "cross", "group",   "order",
        "by",     "having", "union",  "all",   "distinct", "into",  "values",  "set",
        "update", "insert", "delete", "is",    "in",       "like",  "between", "case",
        "when",   "then",   "else",   "end",   "exists",   "top"};
    return t.kind == Kind::kWord &&
           std::find(kKeywords.begin(), kKeywords.end(), lower(t.text)) != kKeywords.end();
}

bool isArithmetic(const Token& t) {
    return t.kind == Kind::kPunct &&
           (t.text == "+" || t.text == "-" || t.text == "*" || t.text == "/" || t.text == "%");
}

void rewritePlusRange(Code& code, std::size_t begin, std::size_t end);

// Reads one operand starting at `i` (unary signs included) and returns the index after it.
// Sets `textual` when the operand is certainly text.
std::size_t readOperand(Code& code, std::size_t i, std::size_t end, bool& textual) {
    auto& t = code.tokens;
    while (i < end && (isPunct(t[i], "-") || isPunct(t[i], "+") || isPunct(t[i], "~"))) {
        ++i;
    }
    if (i >= end) {
        return i;
    }
    if (t[i].kind == Kind::kString) {
        textual = true;
        return i + 1;
    }
    if (isPunct(t[i], "(")) {
        const std::size_t close = endOfGroup(code, i);
        rewritePlusRange(code, i + 1, close - 1);
        return close;
    }
    // A name, possibly dotted, possibly a function call.
    std::size_t k = i + 1;
    while (k + 1 < end && isPunct(t[k], ".") && (isName(t[k + 1]) || isPunct(t[k + 1], "*"))) {
        k += 2;
    }
    if (k < end && isPunct(t[k], "(")) {
        const std::size_t close = endOfGroup(code, k);
        if (isWord(t[i], "cast")) {
            for (std::size_t m = k; m + 1 < close; ++m) {
                if (isWord(t[m], "as") && isCharacterType(t[m + 1])) {
                    textual = true;
                }
            }
        }
        rewritePlusRange(code, k + 1, close - 1);
        return close;
    }
    return k;
}

bool startsOperand(const Token& t) {
    return t.kind == Kind::kString || t.kind == Kind::kNumber || t.kind == Kind::kBracketed ||
           t.kind == Kind::kQuoted || isPunct(t, "(") || isPunct(t, "-") || isPunct(t, "+") ||
           isPunct(t, "~") || (t.kind == Kind::kWord && !isKeyword(t));
}

// Walks the operator chains at one nesting depth; a chain with a text operand joins with `||`.
void rewritePlusRange(Code& code, std::size_t begin, std::size_t end) {
    auto& t = code.tokens;
    std::size_t i = begin;
    while (i < end) {
        if (!startsOperand(t[i])) {
            ++i;
            continue;
        }
        bool textual = false;
        std::vector<std::size_t> plusSigns;
        i = readOperand(code, i, end, textual);
        while (i < end && isArithmetic(t[i])) {
            if (t[i].text == "+") {
                plusSigns.push_back(i);
            }
            i = readOperand(code, i + 1, end, textual);
        }
        if (textual) {
            for (std::size_t p : plusSigns) {
                t[p].text = "||";
            }
        }
    }
}

std::string join(const Code& code) {
    std::string out;
    for (std::size_t i = 0; i < code.tokens.size(); ++i) {
        if (code.spaceBefore[i]) {
            out.push_back(' ');
        }
        const Token& t = code.tokens[i];
        if (t.kind == Kind::kString && (t.text[0] == 'N' || t.text[0] == 'n')) {
            out.append(t.text, 1);
        } else {
            out.append(t.text);
        }
    }
    return out;
}

int nesting(const Token& t) {
    return isPunct(t, "(") ? 1 : isPunct(t, ")") ? -1 : 0;
}

}  // namespace

std::vector<std::string> splitBatch(std::string_view batch) {
    std::vector<std::string> statements;
    std::string current;
    bool hasCode = false;
    int depth = 0;
    for (const auto& token : tokenize(batch)) {
        depth += nesting(token);
        if (isPunct(token, ";") && depth <= 0) {
            if (hasCode) {
                statements.push_back(std::move(current));
            }
            current.clear();
            hasCode = false;
            continue;
        }
        hasCode |= significant(token);
        current += token.text;
    }
    if (hasCode) {
        statements.push_back(std::move(current));
    }
    return statements;
}

// The SQLite text is re-spaced: comments dropped, each run of blanks and line breaks one blank.
// The log keeps the batch exactly as received, so nothing a test checks is lost.
Statement rewriteStatement(std::string_view statement, std::string_view currentDatabase) {
    Code code = significantTokens(tokenize(statement));
    Statement st;
    const auto& t = code.tokens;
    if (t.empty()) {
        return st;
    }
    if (isWord(t[0], "use") && t.size() >= 2) {
        st.kind = StatementKind::kUse;
        st.database = unbracket(t[1]);
        return st;
    }
    if (isWord(t[0], "set")) {
        st.kind = StatementKind::kSet;
        return st;
    }
    rewriteNames(code, currentDatabase, st.databases);
    rewriteCasts(code);
    rewritePlusRange(code, 0, code.tokens.size());
    st.text = join(code);
    return st;
}

std::string resultColumnName(std::string_view expression) {
    const Code code = significantTokens(tokenize(expression));
    const auto& t = code.tokens;
    if (t.empty() || t.size() % 2 == 0) {
        return std::string(expression);
    }
    for (std::size_t i = 0; i < t.size(); ++i) {
        const bool ok =
            i % 2 == 0 ? (isName(t[i]) || t[i].kind == Kind::kQuoted) : isPunct(t[i], ".");
        if (!ok) {
            return std::string(expression);
        }
    }
    return unbracket(t.back());
}

}  // namespace kelvar::standin
