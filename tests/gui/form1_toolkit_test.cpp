// Form1 as the window toolkit the handlers act on: reading fields, the list, the update button,
// the focus, message boxes and the busy pointer.
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

#include "form1_fixture.h"
#include "message_box_answerer.h"

namespace kelvar::gui_test {
namespace {

using fake::Op;
using Form1Toolkit = Form1Test;

TEST_F(Form1Toolkit, ServerTextIsWhatWasTypedChineseIncluded) {
    focus("txtUserName");
    control<QLineEdit>("txtUserName").clear();
    type(QStringLiteral(" 服务器\\实例,1433 "));
    EXPECT_EQ(form->serverText(), " 服务器\\实例,1433 ");
}

TEST_F(Form1Toolkit, PasswordShowsOnlyAsterisksAndReadsBackWhatWasTyped) {
    auto& password = control<QLineEdit>("txtPassword");
    focus("txtPassword");
    const QString typed = QStringLiteral("Kelvar#2024 口令;'|1");
    type(typed);

    EXPECT_EQ(password.displayText(), QString(typed.size(), QChar('*')));
    EXPECT_EQ(form->passwordText(), "Kelvar#2024 口令;'|1");
}

TEST_F(Form1Toolkit, PasswordStyleMasksWithAsteriskAndNeverShowsTheLastCharacter) {
    auto& password = control<QLineEdit>("txtPassword");
    EXPECT_EQ(password.echoMode(), QLineEdit::Password);
    EXPECT_EQ(
        password.style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, &password),
        '*');
    EXPECT_EQ(
        password.style()->styleHint(QStyle::SH_LineEdit_PasswordMaskDelay, nullptr, &password), 0);
}

TEST_F(Form1Toolkit, PasswordBoxHasTheInputMethodDisabled) {
    auto& password = control<QLineEdit>("txtPassword");
    EXPECT_FALSE(password.testAttribute(Qt::WA_InputMethodEnabled));
    EXPECT_TRUE(password.inputMethodHints().testFlag(Qt::ImhHiddenText));
    EXPECT_TRUE(password.inputMethodHints().testFlag(Qt::ImhSensitiveData));
}

TEST_F(Form1Toolkit, BoxesTakeTextBeyondTheToolkitsDefaultLimitOf32767Characters) {
    const QString pasted(40000, QChar(u'密'));
    const std::string expected = (pasted + QStringLiteral("x")).toStdString();
    const std::pair<const char*, std::string (Form1::*)() const> boxes[] = {
        {"txtUserName", &Form1::serverText},
        {"txtPassword", &Form1::passwordText},
        {"dbList", &Form1::databaseText},
    };
    for (const auto& [name, read] : boxes) {
        focus(name);
        QLineEdit* box = std::string_view(name) == "dbList" ? control<QComboBox>(name).lineEdit()
                                                            : &control<QLineEdit>(name);
        box->clear();
        box->insert(pasted);  // as a paste does
        type(QStringLiteral("x"));
        EXPECT_EQ((*form.*read)(), expected) << name;
    }
}

TEST_F(Form1Toolkit, DatabaseTextIsTypedTextEvenWhenNotInTheList) {
    form->addDatabase("zrdata_001_2024");
    form->selectDatabase(0);
    focus("dbList");
    control<QComboBox>("dbList").clearEditText();
    type(QStringLiteral("zrdata_999_2024"));
    EXPECT_EQ(form->databaseText(), "zrdata_999_2024");
    EXPECT_EQ(entries(), std::vector<std::string>{"zrdata_001_2024"});
}

TEST_F(Form1Toolkit, AddingEntriesLeavesTheTextAndSelectionAlone) {
    focus("dbList");
    type(QStringLiteral("typed"));
    form->addDatabase("zrdata_001_2024");
    form->addDatabase("zrdata_002_2024");
    EXPECT_EQ(form->databaseText(), "typed");
    EXPECT_EQ(control<QComboBox>("dbList").currentIndex(), -1);
    EXPECT_EQ(entries(), (std::vector<std::string>{"zrdata_001_2024", "zrdata_002_2024"}));
}

TEST_F(Form1Toolkit, ClearingTheListEmptiesItsEntriesAndEditField) {
    form->addDatabase("zrdata_001_2024");
    form->selectDatabase(0);
    form->clearDatabases();
    EXPECT_EQ(form->databaseCount(), 0);
    EXPECT_EQ(form->databaseText(), "");
}

TEST_F(Form1Toolkit, SelectingAnEntryShowsItOverTypedText) {
    form->addDatabase("zrdata_001_2024");
    form->addDatabase("zrdata_002_2024");
    form->selectDatabase(1);
    EXPECT_EQ(form->databaseText(), "zrdata_002_2024");

    focus("dbList");
    type(QStringLiteral("x"));
    form->selectDatabase(1);
    EXPECT_EQ(form->databaseText(), "zrdata_002_2024");
    EXPECT_EQ(form->databaseCount(), 2);
}

TEST_F(Form1Toolkit, EnablingUpdateMakesItClickable) {
    form->enableUpdate();
    EXPECT_TRUE(control("cmdOK").isEnabled());
}

TEST_F(Form1Toolkit, FocusPasswordMovesTheKeyboardFocus) {
    form->focusPassword();
    EXPECT_EQ(focusedControl(), "txtPassword");
}

struct MessageCase {
    const char* name;
    std::optional<std::string_view> caption;
    const char* title;
};

void PrintTo(const MessageCase& row, std::ostream* out) {
    *out << row.name;
}

class Form1Message : public Form1Test, public ::testing::WithParamInterface<MessageCase> {};

TEST_P(Form1Message, IsModalWithOneOkButtonNoIconAndItsTitle) {
    const MessageBoxAnswerer answerer;
    form->showMessage("第一行\n<b>second</b> line", GetParam().caption);

    ASSERT_EQ(answerer.seen().size(), 1U);
    const SeenMessageBox& box = answerer.seen()[0];
    EXPECT_EQ(box.title, QString::fromUtf8(GetParam().title));
    EXPECT_EQ(box.text, QStringLiteral("第一行\n<b>second</b> line"));
    EXPECT_EQ(box.textFormat, Qt::PlainText);
    EXPECT_EQ(box.icon, QMessageBox::NoIcon);
    EXPECT_EQ(box.buttons, QStringList{QStringLiteral("确定")});
    EXPECT_TRUE(box.modal);
}

INSTANTIATE_TEST_SUITE_P(
    Form1Toolkit, Form1Message,
    ::testing::Values(MessageCase{"WithoutCaption", std::nullopt, "Ostra.5X单据号工具"},
                      MessageCase{"WithCaption", "修改最大单据号", "修改最大单据号"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Form1Toolkit, HandlerShowsBusyPointerButArrowOverItsMessageAndRestoresItAfter) {
    std::optional<Qt::CursorShape> whileWorking;
    std::optional<Qt::CursorShape> whileMessageOpen;
    database.failWhen([&](const fake::Call& call) -> std::optional<DatabaseError> {
        if (call.op != Op::ConnectionOpen) {
            return std::nullopt;
        }
        if (const QCursor* cursor = QGuiApplication::overrideCursor()) {
            whileWorking = cursor->shape();
        }
        return DatabaseError(18456, "Login failed for user 'sa'.");
    });
    MessageBoxAnswerer answerer;
    answerer.whileOpen([&](QMessageBox&) {
        if (const QCursor* cursor = QGuiApplication::overrideCursor()) {
            whileMessageOpen = cursor->shape();
        }
    });

    QTest::mouseClick(&control<QPushButton>("cmdRefresh"), Qt::LeftButton);

    EXPECT_EQ(whileWorking, Qt::WaitCursor);
    EXPECT_EQ(whileMessageOpen, Qt::ArrowCursor);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace kelvar::gui_test
