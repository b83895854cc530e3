// Start-up and the end of the program: CON and RS exist before the window shows, a failure to
// create them is reported under the application title, and closing the window ends the run.
#include <QGuiApplication>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <stdexcept>

#include "app/start_up.h"
#include "fakes/fake_database.h"
#include "form1_fixture.h"
#include "message_box_answerer.h"

namespace kelvar::gui_test {
namespace {

using fake::Op;

TEST(StartUp, LoadCreatesConnectionThenRecordsetBeforeTheWindowShows) {
    fake::FakeDatabase database;
    const Form1 form(database);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(database.trace(),
              (std::vector<std::string>{"DB.CreateConnection", "DB.CreateRecordset 1"}));
}

// The status the tests end runForm1's event loop with when it shows no window.
constexpr int kNoWindowShown = 99;

// The Form1 that runForm1 shows; null when there is none.
Form1* shownForm1() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* form = qobject_cast<Form1*>(window); form != nullptr && form->isVisible()) {
            return form;
        }
    }
    return nullptr;
}

// Runs `act` on the Form1 that runForm1 shows, once its event loop runs. With no such window the
// test fails and the loop ends instead of waiting for a window that is not there.
void onShownForm1(std::function<void(Form1&)> act) {
    QTimer::singleShot(0, [act = std::move(act)] {
        Form1* form = shownForm1();
        if (form == nullptr) {
            ADD_FAILURE() << "runForm1 shows no Form1";
            QApplication::exit(kNoWindowShown);
            return;
        }
        act(*form);
    });
}

TEST(StartUp, RunReturnsZeroWhenTheWindowIsClosed) {
    fake::FakeDatabase database;
    onShownForm1([](Form1& form) { form.close(); });
    EXPECT_EQ(runForm1(database), 0);
    EXPECT_EQ(database.callsOf(Op::ReleaseConnection).size(), 1U);
    EXPECT_EQ(database.callsOf(Op::ReleaseRecordset).size(), 1U);
}

// A display name set on the application would be appended to every window title. Unset, Qt
// answers with the application name instead, and follows that name when it changes.
TEST(StartUp, LeavesTheApplicationDisplayNameUnset) {
    fake::FakeDatabase database;
    QString displayName;
    onShownForm1([&](Form1& form) {
        const QString name = QCoreApplication::applicationName();
        QCoreApplication::setApplicationName(QStringLiteral("kelvar-probe"));
        displayName = QGuiApplication::applicationDisplayName();
        QCoreApplication::setApplicationName(name);
        form.close();
    });
    EXPECT_EQ(runForm1(database), 0);
    EXPECT_EQ(displayName, QStringLiteral("kelvar-probe"));
}

TEST(StartUp, UnexpectedFailureInAHandlerIsReportedAndEndsTheRunWithFailure) {
    fake::FakeDatabase database;
    database.setAnswerer([](std::string_view) -> std::optional<fake::ResultSet> {
        throw std::runtime_error("out of memory");
    });
    const MessageBoxAnswerer answerer;
    onShownForm1([](Form1& form) {
        auto* refresh = form.findChild<QPushButton*>(QStringLiteral("cmdRefresh"));
        if (refresh == nullptr) {
            ADD_FAILURE() << "Form1 has no cmdRefresh";
            form.close();
            return;
        }
        refresh->click();
    });

    EXPECT_NE(runForm1(database), 0);

    ASSERT_EQ(answerer.seen().size(), 1U);
    EXPECT_EQ(answerer.seen()[0].title, QStringLiteral("Ostra.5X单据号工具"));
    EXPECT_EQ(answerer.seen()[0].text, QStringLiteral("out of memory"));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

// Lends a test's fake to runForm1, which wants to own the component it creates.
class BorrowedAccess : public DatabaseAccess {
  public:
    explicit BorrowedAccess(DatabaseAccess& lender) : lender_(lender) {}
    std::unique_ptr<Connection> createConnection() override { return lender_.createConnection(); }
    std::unique_ptr<Recordset> createRecordset() override { return lender_.createRecordset(); }

  private:
    DatabaseAccess& lender_;
};

struct CreationFailure {
    const char* name;
    std::optional<Op> failingCall;  // none: the component itself cannot be created
};

void PrintTo(const CreationFailure& row, std::ostream* out) {
    *out << row.name;
}

class FailingCreation : public ::testing::TestWithParam<CreationFailure> {};

TEST_P(FailingCreation, IsReportedUnderTheApplicationTitleAndEndsWithFailure) {
    const DatabaseError error(-2147221164, "没有注册类");
    fake::FakeDatabase database;
    if (GetParam().failingCall) {
        database.failOn(*GetParam().failingCall, error);
    }
    const MessageBoxAnswerer answerer;

    const int status = runForm1([&]() -> std::unique_ptr<DatabaseAccess> {
        if (!GetParam().failingCall) {
            throw error;
        }
        return std::make_unique<BorrowedAccess>(database);
    });

    EXPECT_NE(status, 0);
    ASSERT_EQ(answerer.seen().size(), 1U);
    EXPECT_EQ(answerer.seen()[0].title, QStringLiteral("Ostra.5X单据号工具"));
    EXPECT_EQ(answerer.seen()[0].text, QStringLiteral("没有注册类"));
    EXPECT_EQ(answerer.seen()[0].icon, QMessageBox::NoIcon);
    for (QWidget* window : QApplication::topLevelWidgets()) {
        EXPECT_EQ(qobject_cast<Form1*>(window), nullptr) << "a window was left behind";
    }
}

INSTANTIATE_TEST_SUITE_P(StartUp, FailingCreation,
                         ::testing::Values(CreationFailure{"Component", std::nullopt},
                                           CreationFailure{"Connection", Op::CreateConnection},
                                           CreationFailure{"Recordset", Op::CreateRecordset}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kelvar::gui_test
