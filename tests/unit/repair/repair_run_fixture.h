#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_account.h"
#include "fakes/fake_database.h"
#include "fakes/fake_window.h"
#include "platform/database_objects.h"
#include "repair/repair_run.h"

namespace kelvar {

// A window holding an open connection on zrsystem, with "zrdata_001_2004" chosen in dbList, over a
// scripted account database.
class RepairRunTest : public ::testing::Test {
  protected:
    static constexpr const char* kDatabase = "zrdata_001_2004";
    static constexpr AccountNumber kAccount = 1;

    RepairRunTest() {
        db.startOpen();
        window.databaseEdit = kDatabase;
    }

    void click() { cmdOK_Click(objects, window); }
    [[nodiscard]] RepairReport run() { return RepairRun(objects, kDatabase).run(); }

    // The recorded calls from the first one after the window's set-up on, as readable lines.
    [[nodiscard]] std::vector<std::string> trace() const { return db.trace(callsAtStart_); }

    // Later traces start after the calls made so far.
    void markCalls() { callsAtStart_ = db.calls().size(); }

    // Fails every call of this kind made on a recordset that was opened with a text containing
    // `sqlContains` (and, when given, whose argument is exactly `argument`).
    void failOnRecordsetOf(fake::Op op, std::string sqlContains, DatabaseError error,
                           std::string argument = {}) {
        db.failWhen([this, op, sqlContains, argument,
                     error](const fake::Call& call) -> std::optional<DatabaseError> {
            if (call.op != op || (!argument.empty() && call.argument != argument)) {
                return std::nullopt;
            }
            if (openedWith(call.recordset).find(sqlContains) == std::string::npos) {
                return std::nullopt;
            }
            return error;
        });
    }

    // The text the recordset was last opened with; empty when it never was.
    [[nodiscard]] std::string openedWith(int recordset) const {
        const auto& calls = db.calls();
        for (auto call = calls.rbegin(); call != calls.rend(); ++call) {
            if (call->op == fake::Op::RecordsetOpen && call->recordset == recordset) {
                return call->argument;
            }
        }
        return {};
    }

    // Every update and insert sent, decoded.
    [[nodiscard]] std::vector<fake::FakeAccount::Write> writes() const {
        std::vector<fake::FakeAccount::Write> decoded;
        for (const auto& sql : db.executed()) {
            const auto write = fake::FakeAccount::decode(sql);
            EXPECT_TRUE(write.has_value()) << "not an update or insert: " << sql;
            if (write) {
                decoded.push_back(*write);
            }
        }
        return decoded;
    }

    fake::FakeDatabase db;
    fake::FakeAccount account{db};
    DatabaseObjects objects{db};
    fake::FakeWindow window;

  private:
    std::size_t callsAtStart_ = db.calls().size();
};

}  // namespace kelvar
