// Every way of closing Form1 runs its query-unload once: CON released, then RS, never refused.
#include <QPushButton>
#include <QWindow>

#include "form1_fixture.h"

namespace kelvar::gui_test {
namespace {

using fake::Op;

struct ClosingPath {
    const char* name;
    std::function<void(Form1&)> close;
};

void PrintTo(const ClosingPath& path, std::ostream* out) {
    *out << path.name;
}

class ClosingBy : public Form1Test, public ::testing::WithParamInterface<ClosingPath> {
  protected:
    void closeWindow() { GetParam().close(*form); }
};

const ClosingPath kClosingPaths[] = {
    {"CancelButton",
     [](Form1& form) {
         QTest::mouseClick(form.findChild<QPushButton*>(QStringLiteral("cmdCancel")),
                           Qt::LeftButton);
     }},
    {"EscapeKey", [](Form1&) { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape); }},
    {"CloseBox", [](Form1& form) { form.windowHandle()->close(); }},
    // Logging off or shutting down closes every window of the application.
    {"SessionEnd", [](Form1&) { QApplication::closeAllWindows(); }},
};

TEST_P(ClosingBy, ReleasesConnectionThenRecordsetOnceAndCloses) {
    closeWindow();
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

INSTANTIATE_TEST_SUITE_P(Form1Closing, ClosingBy, ::testing::ValuesIn(kClosingPaths),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kelvar::gui_test
