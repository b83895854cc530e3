// Enter and Esc: the default and cancel buttons reached from every field.
#include <QPushButton>
#include <QSignalSpy>

#include "form1_fixture.h"
#include "message_box_answerer.h"

namespace kelvar::gui_test {
namespace {

using fake::Op;

struct EnterCase {
    const char* field;
    Qt::Key key;
};

void PrintTo(const EnterCase& row, std::ostream* out) {
    *out << row.field << (row.key == Qt::Key_Enter ? " keypad Enter" : " Return");
}

class EnterInField : public Form1Test, public ::testing::WithParamInterface<EnterCase> {};

TEST_P(EnterInField, ClicksRefreshAndLeavesTheListUnchanged) {
    form->addDatabase("zrdata_001_2024");
    database.failOn(Op::ConnectionOpen, DatabaseError(18456, "Login failed for user 'sa'."));
    const MessageBoxAnswerer answerer;
    QSignalSpy refreshClicks(&control<QPushButton>("cmdRefresh"), &QPushButton::clicked);

    focus(GetParam().field);
    type(QStringLiteral("zrdata_typed"));
    press(GetParam().key);

    EXPECT_EQ(refreshClicks.count(), 1);
    EXPECT_EQ(database.callsOf(Op::ConnectionOpen).size(), 1U);
    ASSERT_EQ(answerer.seen().size(), 1U);
    EXPECT_EQ(answerer.seen()[0].text, QStringLiteral("Login failed for user 'sa'."));
    EXPECT_EQ(entries(), std::vector<std::string>{"zrdata_001_2024"});
    EXPECT_TRUE(form->isVisible());
}

INSTANTIATE_TEST_SUITE_P(Form1Keys, EnterInField,
                         ::testing::Values(EnterCase{"dbList", Qt::Key_Return},
                                           EnterCase{"dbList", Qt::Key_Enter},
                                           EnterCase{"txtUserName", Qt::Key_Return},
                                           EnterCase{"txtUserName", Qt::Key_Enter},
                                           EnterCase{"txtPassword", Qt::Key_Return},
                                           EnterCase{"txtPassword", Qt::Key_Enter}),
                         [](const auto& info) {
                             return std::string(info.param.field) +
                                    (info.param.key == Qt::Key_Enter ? "Keypad" : "");
                         });

// Esc from the list, and the closing it leads to, is one of the closing paths (form1_closing_test).
class EscapeInControl : public Form1Test, public ::testing::WithParamInterface<const char*> {};

TEST_P(EscapeInControl, ClicksCancel) {
    form->enableUpdate();
    QSignalSpy cancelClicks(&control<QPushButton>("cmdCancel"), &QPushButton::clicked);
    focus(GetParam());

    press(Qt::Key_Escape);

    EXPECT_EQ(cancelClicks.count(), 1);
    EXPECT_FALSE(form->isVisible());
}

INSTANTIATE_TEST_SUITE_P(Form1Keys, EscapeInControl,
                         ::testing::Values("cmdRefresh", "cmdSelect", "txtUserName", "cmdOK",
                                           "cmdCancel", "txtPassword"),
                         [](const auto& info) { return std::string(info.param); });

using Form1Keys = Form1Test;

TEST_F(Form1Keys, EnterOnAFocusedButtonClicksThatButton) {
    QSignalSpy refreshClicks(&control<QPushButton>("cmdRefresh"), &QPushButton::clicked);
    const MessageBoxAnswerer answerer;
    focus("cmdSelect");
    press(Qt::Key_Return);
    EXPECT_EQ(refreshClicks.count(), 0);
    ASSERT_EQ(answerer.seen().size(), 1U);
    EXPECT_EQ(answerer.seen()[0].title, QStringLiteral("帮助"));
}

}  // namespace
}  // namespace kelvar::gui_test
