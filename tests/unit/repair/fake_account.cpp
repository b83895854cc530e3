#include "fake_account.h"

#include <algorithm>
#include <cctype>
#include <regex>

namespace kelvar::fake {
namespace {

const std::regex kLookup(
    R"(^select cvouchtype from zrsystem\.\.za_identity where cAcc_id=(-?\d+) and cvouchtype='([^']*)'$)");
const std::regex kCounter(
    R"(^select iFatherId,iChildId from zrsystem\.\.za_identity where cAcc_id=(-?\d+) and cvouchtype='([^']*)'$)");
const std::regex kUpdate(
    R"(^update zrsystem\.\.za_identity set ifatherid=(-?\d+),iChildId=(-?\d+) where cAcc_id=(-?\d+) and cvouchtype='([^']*)'$)");
const std::regex kInsert(
    R"(^insert into zrsystem\.\.za_identity\(cAcc_Id,cVouchType,iFatherId,iChildId\)values\((-?\d+),'([^']*)',(-?\d+),(-?\d+)\)$)");

// Which kind's maximum query this is, told by the tables it names.
std::optional<std::size_t> maximumQueryRow(std::string_view sql) {
    const auto& table = voucherTypeTable();
    for (std::size_t row = 0; row < table.size(); ++row) {
        const auto& kind = table[row];
        const std::string tables = row == kCashSettlementRow
                                       ? std::string(" from Ap_CloseBill ")
                                       : " from " + std::string(kind.mainTable) + " as a," +
                                             std::string(kind.detailTable) + " as b";
        if (sql.starts_with("select ") && sql.find(tables) != std::string_view::npos) {
            return row;
        }
    }
    return std::nullopt;
}

AccountNumber accountOf(const std::string& digits) {
    return static_cast<AccountNumber>(std::stoi(digits));
}

}  // namespace

bool FakeAccount::CounterKeyLess::operator()(const CounterKey& a, const CounterKey& b) const {
    if (a.first != b.first) {
        return a.first < b.first;
    }
    return std::lexicographical_compare(a.second.begin(), a.second.end(), b.second.begin(),
                                        b.second.end(), [](char x, char y) {
                                            return std::toupper(static_cast<unsigned char>(x)) <
                                                   std::toupper(static_cast<unsigned char>(y));
                                        });
}

FakeAccount::FakeAccount(FakeDatabase& db) {
    for (std::size_t row = 0; row < served_.size(); ++row) {
        const Maxima maxima = defaultMaxima(row);
        served_[row] = {Value(maxima.fatherId), Value(maxima.childId)};
    }
    db.setAnswerer([this](std::string_view sql) { return answer(sql); });
    db.onExecute([this](std::string_view sql) { apply(sql); });
}

Maxima FakeAccount::defaultMaxima(std::size_t row) {
    const auto offset = static_cast<std::int64_t>(row);
    return {100 + offset, 1000 + offset};
}

void FakeAccount::serve(std::size_t row, Value idf, Value idc) {
    served_.at(row) = {std::move(idf), std::move(idc)};
}

void FakeAccount::storeCounter(AccountNumber account, std::string code, Maxima maxima) {
    counters_[{account, std::move(code)}] = maxima;
}

std::optional<FakeAccount::Write> FakeAccount::decode(std::string_view sql) {
    const std::string text(sql);
    std::smatch match;
    if (std::regex_match(text, match, kUpdate)) {
        return Write{
            accountOf(match[3]), match[4], {std::stoll(match[1]), std::stoll(match[2])}, false};
    }
    if (std::regex_match(text, match, kInsert)) {
        return Write{
            accountOf(match[1]), match[2], {std::stoll(match[3]), std::stoll(match[4])}, true};
    }
    return std::nullopt;
}

std::optional<std::size_t> FakeAccount::rowOf(std::string_view code) {
    const auto& table = voucherTypeTable();
    for (std::size_t row = 0; row < table.size(); ++row) {
        if (table[row].vouchType == code) {
            return row;
        }
    }
    return std::nullopt;
}

std::optional<ResultSet> FakeAccount::answer(std::string_view sql) const {
    const std::string text(sql);
    std::smatch match;
    if (std::regex_match(text, match, kLookup)) {
        ResultSet result{{"cvouchtype"}, {}};
        if (counters_.contains({accountOf(match[1]), match[2]})) {
            result.rows.push_back({Value(match[2].str())});
        }
        return result;
    }
    if (std::regex_match(text, match, kCounter)) {
        ResultSet result{{"iFatherId", "iChildId"}, {}};
        if (const auto found = counters_.find({accountOf(match[1]), match[2]});
            found != counters_.end()) {
            result.rows.push_back({Value(found->second.fatherId), Value(found->second.childId)});
        }
        return result;
    }
    if (const auto row = maximumQueryRow(sql)) {
        return ResultSet{{"idf", "idc"}, {{served_[*row].idf, served_[*row].idc}}};
    }
    return std::nullopt;
}

void FakeAccount::apply(std::string_view sql) {
    const auto write = decode(sql);
    if (!write) {
        // Unknown statements fail as the server fails them, so a malformed text cannot pass unseen.
        throw DatabaseError(102, "Incorrect syntax: " + std::string(sql));
    }
    const CounterKey key{write->account, write->code};
    if (write->inserted) {
        if (counters_.contains(key)) {
            throw DatabaseError(2627, "Violation of PRIMARY KEY constraint 'PK_za_identity'.");
        }
        counters_[key] = write->maxima;
    } else if (const auto found = counters_.find(key); found != counters_.end()) {
        found->second = write->maxima;
    }
}

}  // namespace kelvar::fake
