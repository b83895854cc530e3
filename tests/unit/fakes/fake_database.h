#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/database.h"

namespace kelvar::fake {

// Every operation the fake records, one per call on the database component.
enum class Op {
    CreateConnection,
    CreateRecordset,
    ReleaseConnection,
    ReleaseRecordset,
    ConnectionState,
    ConnectionOpen,
    ConnectionClose,
    SetDefaultDatabase,
    Execute,
    RecordsetOpen,
    RecordsetState,
    Eof,
    Field,
    MoveNext,
    RecordsetClose,
};

[[nodiscard]] std::string_view name(Op op);

struct Call {
    Op op;
    std::string argument;  // SQL text, connection string, database or field name; empty otherwise
    int recordset = 0;     // which recordset object (1, 2, ...) for recordset calls; 0 otherwise

    // "RS3.Open select ..." / "CON.Execute update ..." / "CON.State": for readable failures.
    [[nodiscard]] std::string toString() const;
};

struct ResultSet {
    std::vector<std::string> columns;
    std::vector<std::vector<Value>> rows;
};

// A scripted stand-in for the database component, for unit tests only. Recordset opens are answered
// from a script keyed by the exact SQL text; any call can be made to fail; every call is recorded.
// The fake must outlive the objects it creates.
class FakeDatabase : public DatabaseAccess {
  public:
    using Answerer = std::function<std::optional<ResultSet>(std::string_view sql)>;
    using FailureRule = std::function<std::optional<DatabaseError>(const Call&)>;

    FakeDatabase();
    ~FakeDatabase() override;

    // --- script ---
    // A recordset opened on exactly this text reads these rows.
    void answer(std::string sql, ResultSet result);
    // Consulted for texts that have no scripted answer; unanswered queries give an empty result.
    void setAnswerer(Answerer answerer);
    // Fails every call of this kind whose argument contains the text, up to `times` times (-1:
    // always).
    void failOn(Op op, DatabaseError error, std::string argumentContains = {}, int times = -1);
    // The most general rule: asked before every call; an error it returns is thrown by that call.
    void failWhen(FailureRule rule);
    // Runs for each statement that Execute accepts, so a test can model its effect.
    void onExecute(std::function<void(std::string_view sql)> effect);

    // --- observations ---
    [[nodiscard]] const std::vector<Call>& calls() const;
    [[nodiscard]] std::vector<Call> callsOf(Op op) const;
    // The calls from index `from` on, each as Call::toString() gives it.
    [[nodiscard]] std::vector<std::string> trace(std::size_t from = 0) const;
    // The texts of recordset opens and executes, in the order they were sent.
    [[nodiscard]] std::vector<std::string> sqlSent() const;
    [[nodiscard]] std::vector<std::string> executed() const;
    [[nodiscard]] int connectionState() const;
    [[nodiscard]] const std::string& defaultDatabase() const;
    [[nodiscard]] const std::string& lastConnectionString() const;
    [[nodiscard]] int liveRecordsets() const;
    [[nodiscard]] int recordsetsCreated() const;

    // Puts the connection in the open state without a call, as if an earlier login had opened it.
    void startOpen(std::string defaultDatabase = "zrsystem");

    // --- DatabaseAccess ---
    [[nodiscard]] std::unique_ptr<Connection> createConnection() override;
    [[nodiscard]] std::unique_ptr<Recordset> createRecordset() override;

    struct Shared;

  private:
    std::shared_ptr<Shared> state_;
};

struct FakeDatabase::Shared {
    struct Scripted {
        std::string sql;
        ResultSet result;
    };
    struct CountedRule {
        Op op;
        DatabaseError error;
        std::string argumentContains;
        int remaining;
    };

    std::vector<Call> calls;
    std::vector<Scripted> answers;
    Answerer answerer;
    std::vector<CountedRule> counted;
    std::vector<FailureRule> rules;
    std::function<void(std::string_view)> executeEffect;
    bool connectionOpen = false;
    std::string defaultDatabase;
    std::string lastConnectionString;
    int liveRecordsets = 0;
    int recordsetsCreated = 0;

    // Records the call, then throws if a rule says it fails.
    void enter(Call call);
    [[nodiscard]] ResultSet resultFor(std::string_view sql) const;
};

}  // namespace kelvar::fake
