#include "fake_database.h"

#include <algorithm>
#include <cctype>

namespace kelvar::fake {
namespace {

// ADO's own numbers and words for misuse of its objects, so fakes fail the way the component does.
DatabaseError closedObject() {
    return {3704, "Operation is not allowed when the object is closed."};
}
DatabaseError openObject() {
    return {3705, "Operation is not allowed when the object is open."};
}
DatabaseError unusableConnection() {
    return {3709,
            "The connection cannot be used to perform this operation. It is either closed or "
            "invalid in this context."};
}
DatabaseError noCurrentRecord() {
    return {3021,
            "Either BOF or EOF is True, or the current record has been deleted. Requested "
            "operation requires a current record."};
}
DatabaseError noSuchField() {
    return {3265,
            "Item cannot be found in the collection corresponding to the requested name or "
            "ordinal."};
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

class FakeConnection final : public Connection {
  public:
    explicit FakeConnection(std::shared_ptr<FakeDatabase::Shared> shared)
        : shared_(std::move(shared)) {}
    ~FakeConnection() override {
        shared_->calls.push_back({Op::ReleaseConnection, {}, 0});
        shared_->connectionOpen = false;
    }

    int state() override {
        shared_->enter({Op::ConnectionState, {}, 0});
        return shared_->connectionOpen ? kOpen : kClosed;
    }
    void open(std::string_view connectionString) override {
        shared_->enter({Op::ConnectionOpen, std::string(connectionString), 0});
        if (shared_->connectionOpen) {
            throw openObject();
        }
        shared_->connectionOpen = true;
        shared_->lastConnectionString = connectionString;
        shared_->defaultDatabase = "zrsystem";
    }
    void close() override {
        shared_->enter({Op::ConnectionClose, {}, 0});
        if (!shared_->connectionOpen) {
            throw closedObject();
        }
        shared_->connectionOpen = false;
    }
    void setDefaultDatabase(std::string_view name) override {
        shared_->enter({Op::SetDefaultDatabase, std::string(name), 0});
        if (!shared_->connectionOpen) {
            throw unusableConnection();
        }
        shared_->defaultDatabase = name;
    }
    void execute(std::string_view sql) override {
        shared_->enter({Op::Execute, std::string(sql), 0});
        if (!shared_->connectionOpen) {
            throw unusableConnection();
        }
        if (shared_->executeEffect) {
            shared_->executeEffect(sql);
        }
    }

  private:
    std::shared_ptr<FakeDatabase::Shared> shared_;
};

class FakeRecordset final : public Recordset {
  public:
    FakeRecordset(std::shared_ptr<FakeDatabase::Shared> shared, int id)
        : shared_(std::move(shared)), id_(id) {
        ++shared_->liveRecordsets;
    }
    ~FakeRecordset() override {
        shared_->calls.push_back({Op::ReleaseRecordset, {}, id_});
        --shared_->liveRecordsets;
    }

    void open(std::string_view sql, Connection& connection) override {
        shared_->enter({Op::RecordsetOpen, std::string(sql), id_});
        if (open_) {
            throw openObject();
        }
        if (dynamic_cast<FakeConnection*>(&connection) == nullptr || !shared_->connectionOpen) {
            throw unusableConnection();
        }
        result_ = shared_->resultFor(sql);
        row_ = 0;
        open_ = true;
    }
    int state() override {
        shared_->enter({Op::RecordsetState, {}, id_});
        return open_ ? kOpen : kClosed;
    }
    bool eof() override {
        shared_->enter({Op::Eof, {}, id_});
        requireOpen();
        return row_ >= result_.rows.size();
    }
    Value field(std::string_view name) override {
        shared_->enter({Op::Field, std::string(name), id_});
        requireOpen();
        const auto column = std::find_if(
            result_.columns.begin(), result_.columns.end(),
            [name](const std::string& candidate) { return equalsIgnoringCase(candidate, name); });
        if (column == result_.columns.end()) {
            throw noSuchField();
        }
        if (row_ >= result_.rows.size()) {
            throw noCurrentRecord();
        }
        const auto index = static_cast<std::size_t>(column - result_.columns.begin());
        const auto& row = result_.rows[row_];
        return index < row.size() ? row[index] : Value{};
    }
    void moveNext() override {
        shared_->enter({Op::MoveNext, {}, id_});
        requireOpen();
        if (row_ >= result_.rows.size()) {
            throw noCurrentRecord();
        }
        ++row_;
    }
    void close() override {
        shared_->enter({Op::RecordsetClose, {}, id_});
        requireOpen();
        open_ = false;
        result_ = {};
    }

  private:
    void requireOpen() const {
        if (!open_) {
            throw closedObject();
        }
    }

    std::shared_ptr<FakeDatabase::Shared> shared_;
    int id_;
    bool open_ = false;
    ResultSet result_;
    std::size_t row_ = 0;
};

}  // namespace

std::string_view name(Op op) {
    switch (op) {
        case Op::CreateConnection:
            return "CreateConnection";
        case Op::CreateRecordset:
            return "CreateRecordset";
        case Op::ReleaseConnection:
            return "Release";
        case Op::ReleaseRecordset:
            return "Release";
        case Op::ConnectionState:
            return "State";
        case Op::ConnectionOpen:
            return "Open";
        case Op::ConnectionClose:
            return "Close";
        case Op::SetDefaultDatabase:
            return "DefaultDatabase";
        case Op::Execute:
            return "Execute";
        case Op::RecordsetOpen:
            return "Open";
        case Op::RecordsetState:
            return "State";
        case Op::Eof:
            return "EOF";
        case Op::Field:
            return "Field";
        case Op::MoveNext:
            return "MoveNext";
        case Op::RecordsetClose:
            return "Close";
    }
    return "?";
}

std::string Call::toString() const {
    std::string text = recordset > 0 ? "RS" + std::to_string(recordset) : std::string("CON");
    if (op == Op::CreateConnection || op == Op::CreateRecordset) {
        text = "DB";
    }
    text += ".";
    text += name(op);
    if (!argument.empty()) {
        text += " " + argument;
    }
    return text;
}

void FakeDatabase::Shared::enter(Call call) {
    calls.push_back(call);
    for (auto& rule : counted) {
        if (rule.op == call.op && rule.remaining != 0 &&
            call.argument.find(rule.argumentContains) != std::string::npos) {
            if (rule.remaining > 0) {
                --rule.remaining;
            }
            throw rule.error;
        }
    }
    for (const auto& rule : rules) {
        if (auto error = rule(call)) {
            throw *error;
        }
    }
}

ResultSet FakeDatabase::Shared::resultFor(std::string_view sql) const {
    for (const auto& scripted : answers) {
        if (scripted.sql == sql) {
            return scripted.result;
        }
    }
    if (answerer) {
        if (auto result = answerer(sql)) {
            return *result;
        }
    }
    return {};
}

FakeDatabase::FakeDatabase() : state_(std::make_shared<Shared>()) {}
FakeDatabase::~FakeDatabase() = default;

void FakeDatabase::answer(std::string sql, ResultSet result) {
    state_->answers.push_back({std::move(sql), std::move(result)});
}
void FakeDatabase::setAnswerer(Answerer answerer) {
    state_->answerer = std::move(answerer);
}
void FakeDatabase::failOn(Op op, DatabaseError error, std::string argumentContains, int times) {
    state_->counted.push_back({op, std::move(error), std::move(argumentContains), times});
}
void FakeDatabase::failWhen(FailureRule rule) {
    state_->rules.push_back(std::move(rule));
}
void FakeDatabase::onExecute(std::function<void(std::string_view)> effect) {
    state_->executeEffect = std::move(effect);
}

const std::vector<Call>& FakeDatabase::calls() const {
    return state_->calls;
}
int FakeDatabase::connectionState() const {
    return state_->connectionOpen ? 1 : 0;
}
const std::string& FakeDatabase::defaultDatabase() const {
    return state_->defaultDatabase;
}
const std::string& FakeDatabase::lastConnectionString() const {
    return state_->lastConnectionString;
}
int FakeDatabase::liveRecordsets() const {
    return state_->liveRecordsets;
}
int FakeDatabase::recordsetsCreated() const {
    return state_->recordsetsCreated;
}

std::vector<std::string> FakeDatabase::trace(std::size_t from) const {
    std::vector<std::string> lines;
    for (std::size_t i = from; i < state_->calls.size(); ++i) {
        lines.push_back(state_->calls[i].toString());
    }
    return lines;
}

std::vector<Call> FakeDatabase::callsOf(Op op) const {
    std::vector<Call> matching;
    std::copy_if(state_->calls.begin(), state_->calls.end(), std::back_inserter(matching),
                 [op](const Call& call) { return call.op == op; });
    return matching;
}

std::vector<std::string> FakeDatabase::sqlSent() const {
    std::vector<std::string> texts;
    for (const auto& call : state_->calls) {
        if (call.op == Op::RecordsetOpen || call.op == Op::Execute) {
            texts.push_back(call.argument);
        }
    }
    return texts;
}

std::vector<std::string> FakeDatabase::executed() const {
    std::vector<std::string> texts;
    for (const auto& call : callsOf(Op::Execute)) {
        texts.push_back(call.argument);
    }
    return texts;
}

void FakeDatabase::startOpen(std::string defaultDatabase) {
    state_->connectionOpen = true;
    state_->defaultDatabase = std::move(defaultDatabase);
}

std::unique_ptr<Connection> FakeDatabase::createConnection() {
    state_->enter({Op::CreateConnection, {}, 0});
    return std::make_unique<FakeConnection>(state_);
}

std::unique_ptr<Recordset> FakeDatabase::createRecordset() {
    const int id = state_->recordsetsCreated + 1;
    state_->enter({Op::CreateRecordset, std::to_string(id), 0});
    state_->recordsetsCreated = id;
    return std::make_unique<FakeRecordset>(state_, id);
}

}  // namespace kelvar::fake
