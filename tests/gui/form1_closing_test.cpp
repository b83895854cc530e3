// Every way of closing Form1 runs its query-unload once: CON released, then RS, never refused.
#include <QtGui/private/qguiapplication_p.h>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QWindow>

#include "form1_fixture.h"

namespace kelvar::gui_test {
namespace {

using fake::Op;

struct ClosingPath {
    const char* name;
    int cancelClicks;         // how often the path clicks cmdCancel
    const char* typedInList;  // text typed into the list before closing; null for none
    std::function<void(Form1&)> close;
};

void PrintTo(const ClosingPath& path, std::ostream* out) {
    *out << path.name;
}

class ClosingBy : public Form1Test, public ::testing::WithParamInterface<ClosingPath> {
  protected:
    void closeWindow() {
        if (GetParam().typedInList != nullptr) {
            const QString text = QString::fromUtf8(GetParam().typedInList);
            focus("dbList");
            type(text);
            ASSERT_EQ(control<QComboBox>("dbList").currentText(), text);
        }
        GetParam().close(*form);
    }
};

void pressEscape(Form1&) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
}

const ClosingPath kClosingPaths[] = {
    {"CancelButton", 1, nullptr,
     [](Form1& form) {
         QTest::mouseClick(form.findChild<QPushButton*>(QStringLiteral("cmdCancel")),
                           Qt::LeftButton);
     }},
    // The list has the focus at start.
    {"EscapeKey", 1, nullptr, pressEscape},
    {"EscapeKeyAfterTypingInTheList", 1, "zrdata_typed", pressEscape},
    {"CloseBox", 0, nullptr, [](Form1& form) { form.windowHandle()->close(); }},
    // Logging off or shutting down: the platform's session manager (XSMP's save-yourself, or
    // Windows' WM_QUERYENDSESSION) reaches the application as this call, which asks to commit
    // data and closes no window itself.
    {"SessionEnd", 0, nullptr, [](Form1&) { QGuiApplicationPrivate::instance()->commitData(); }},
    // Windows then announces the end with aboutToQuit, raised by name as its platform plugin
    // does, and the process is gone soon after: no window is closed on that path.
    {"WindowsSessionEnd", 0, nullptr,
     [](Form1&) { QMetaObject::invokeMethod(qApp, "aboutToQuit", Qt::DirectConnection); }},
    // The event loop ended by other means while the window is open; exit(), unlike quit(),
    // closes no window first.
    {"ApplicationExit", 0, nullptr,
     [](Form1&) {
         QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
         QApplication::exec();
     }},
};

TEST_P(ClosingBy, ReleasesConnectionThenRecordsetOnceAndCloses) {
    QSignalSpy cancelClicks(&control<QPushButton>("cmdCancel"), &QPushButton::clicked);
    closeWindow();
    EXPECT_EQ(cancelClicks.count(), GetParam().cancelClicks);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(releases(), (std::vector<std::string>{"CON.Release", "RS1.Release"}));
}

TEST_P(ClosingBy, ReleasesAnOpenConnectionWithoutClosingIt) {
    database.startOpen();
    closeWindow();
    EXPECT_EQ(releases(), (std::vector<std::string>{"CON.Release", "RS1.Release"}));
    EXPECT_TRUE(database.callsOf(Op::ConnectionClose).empty());
}

TEST_P(ClosingBy, ReleasesNothingMoreOnALaterRequest) {
    closeWindow();
    form->close();
    EXPECT_EQ(releases().size(), 2U);
}

TEST_P(ClosingBy, LeavesNothingForALaterClickToReach) {
    closeWindow();
    const auto callsBefore = database.calls().size();
    control<QPushButton>("cmdRefresh").click();
    EXPECT_EQ(database.calls().size(), callsBefore);
}

INSTANTIATE_TEST_SUITE_P(Form1Closing, ClosingBy, ::testing::ValuesIn(kClosingPaths),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kelvar::gui_test
