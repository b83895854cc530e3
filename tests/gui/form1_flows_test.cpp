// Whole flows through the real window, the ODBC layer, FreeTDS and the SQL Server stand-in with
// its sample data, driven as the user drives them.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "form1_fixture.h"
#include "message_box_answerer.h"
#include "platform/database_objects.h"
#include "platform/odbc/odbc_database_access.h"
#include "standin_process.h"

namespace kelvar::gui_test {
namespace {

class Form1Flows : public Form1Driver {
  protected:
    void SetUp() override { open(access); }

    // Types the stand-in's address and the password, then presses Enter in the password box.
    void logIn(const QString& password) {
        focus("txtUserName");
        control<QLineEdit>("txtUserName").clear();
        type(QStringLiteral("127.0.0.1,%1").arg(server.port()));
        focus("txtPassword");
        type(password);
        press(Qt::Key_Return);
    }

    void logIn() { logIn(QString::fromStdString(server.password())); }

    // The counters of one kind in zrsystem..za_identity, "iFatherId iChildId", read over a
    // connection of its own.
    std::string counters(int account, const std::string& code) {
        DatabaseObjects db(access);
        db.con().open(server.oleDbLogin());
        db.rs().open("select iFatherId, iChildId from zrsystem..za_identity where cAcc_Id = " +
                         std::to_string(account) + " and cVouchType = '" + code + "'",
                     db.con());
        if (db.rs().eof()) {
            return "no row";
        }
        return db.rs().field("iFatherId").toText() + " " + db.rs().field("iChildId").toText();
    }

    standin::StandinProcess server;
    odbc::OdbcDatabaseAccess access;
};

TEST_F(Form1Flows, RefreshWithTheRightPasswordFillsTheListAndEnablesUpdate) {
    const MessageBoxAnswerer answerer;
    logIn();

    EXPECT_TRUE(answerer.seen().empty());
    auto listed = entries();
    ASSERT_EQ(listed.size(), 2U);
    EXPECT_EQ(form->databaseText(), listed[0]);
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, (std::vector<std::string>{"zrdata_001_2024", "zrdata_002_2024"}));
    EXPECT_TRUE(control("cmdOK").isEnabled());
}

TEST_F(Form1Flows, UpdateFixesTheCountersAndReportsSuccess) {
    const MessageBoxAnswerer answerer;
    logIn();
    auto& list = control<QComboBox>("dbList");
    form->selectDatabase(list.findText(QStringLiteral("zrdata_001_2024")));

    QTest::mouseClick(&control<QPushButton>("cmdOK"), Qt::LeftButton);

    ASSERT_EQ(answerer.seen().size(), 1U);
    EXPECT_EQ(answerer.seen()[0].text, QStringLiteral("修改成功！"));
    EXPECT_EQ(answerer.seen()[0].title, QStringLiteral("修改最大单据号"));
    EXPECT_EQ(counters(1, "rd"), "1012 10036");
    EXPECT_EQ(counters(1, "DISPATCH"), "3010 30025");
    EXPECT_EQ(counters(1, "ch"), "13 106");
}

TEST_F(Form1Flows, WrongPasswordShowsTheDriversWordsAndFocusesThePassword) {
    const MessageBoxAnswerer answerer;
    logIn(QStringLiteral("not the password"));

    ASSERT_EQ(answerer.seen().size(), 1U);
    EXPECT_EQ(answerer.seen()[0].title, QStringLiteral("Ostra.5X单据号工具"));
    EXPECT_EQ(answerer.seen()[0].text,
              QStringLiteral("[FreeTDS][SQL Server]Login failed for user 'sa'.\n"
                             "[FreeTDS][SQL Server]Unable to connect to data source"));
    EXPECT_EQ(focusedControl(), "txtPassword");
    EXPECT_TRUE(entries().empty());
    EXPECT_FALSE(control("cmdOK").isEnabled());
}

TEST_F(Form1Flows, DatabaseNameTypedIntoTheListIsUsedAsTyped) {
    const MessageBoxAnswerer answerer;
    logIn();
    focus("dbList");
    control<QComboBox>("dbList").clearEditText();
    type(QStringLiteral("zrdata_003_2024"));

    QTest::mouseClick(&control<QPushButton>("cmdOK"), Qt::LeftButton);

    // zrdata_003_2024 lacks most document tables, so the message names those kinds.
    ASSERT_EQ(answerer.seen().size(), 1U);
    EXPECT_EQ(answerer.seen()[0].title, QStringLiteral("修改最大单据号"));
    EXPECT_EQ(counters(3, "rd"), "2 3");
    EXPECT_EQ(counters(1, "rd"), "1000 10000");
}

}  // namespace
}  // namespace kelvar::gui_test
