#include "platform/database_objects.h"

#include <gtest/gtest.h>

#include "fakes/fake_database.h"

namespace kelvar {
namespace {

using fake::Op;

TEST(DatabaseObjects, CreatesConnectionThenRecordsetBothClosed) {
    fake::FakeDatabase db;
    DatabaseObjects objects(db);
    EXPECT_EQ(db.trace(),
              (std::vector<std::string>{"DB.CreateConnection", "DB.CreateRecordset 1"}));
    EXPECT_EQ(objects.con().state(), Connection::kClosed);
    EXPECT_EQ(objects.rs().state(), Recordset::kClosed);
}

TEST(DatabaseObjects, RenewingReleasesThePreviousRecordset) {
    fake::FakeDatabase db;
    DatabaseObjects objects(db);
    (void)objects.renewRecordset();
    (void)objects.renewRecordset();
    EXPECT_EQ(db.liveRecordsets(), 1);
    EXPECT_EQ(db.callsOf(Op::ReleaseRecordset).size(), 2u);
    EXPECT_EQ(db.recordsetsCreated(), 3);
}

TEST(DatabaseObjects, ReleaseDropsConnectionThenRecordsetWithoutClosing) {
    fake::FakeDatabase db;
    DatabaseObjects objects(db);
    objects.con().open("Provider=SQLOLEDB");
    (void)objects.renewRecordset();
    const auto before = db.calls().size();
    objects.release();
    EXPECT_TRUE(objects.released());
    const std::vector<fake::Call> after(db.calls().begin() + static_cast<long>(before),
                                        db.calls().end());
    ASSERT_EQ(after.size(), 2u);
    EXPECT_EQ(after[0].op, Op::ReleaseConnection);
    EXPECT_EQ(after[1].op, Op::ReleaseRecordset);
    EXPECT_EQ(after[1].recordset, 2);
    EXPECT_EQ(db.liveRecordsets(), 0);
    EXPECT_EQ(db.connectionState(), 0);
}

}  // namespace
}  // namespace kelvar
