// Form1 as it opens: where each control stands, what it says, the tab order and the first state.
#include <QComboBox>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include "form1_fixture.h"

namespace kelvar::gui_test {
namespace {

struct Placement {
    const char* name;
    QRect pixels;
};

// Client-area pixels at 96 dots per inch.
const Placement kPlacements[] = {
    {"dbList", {80, 72, 177, 20}},      {"cmdRefresh", {16, 112, 59, 23}},
    {"cmdSelect", {200, 112, 59, 23}},  {"txtUserName", {80, 16, 177, 23}},
    {"cmdOK", {80, 112, 51, 23}},       {"cmdCancel", {136, 112, 59, 23}},
    {"txtPassword", {80, 43, 177, 23}}, {"lblLabels0", {17, 72, 72, 18}},
    {"Computer0", {16, 16, 72, 18}},    {"lblLabels1", {16, 44, 72, 18}},
};

struct Caption {
    const char* name;
    const char* text;
};

const Caption kButtonCaptions[] = {
    {"cmdRefresh", "刷新"}, {"cmdSelect", "帮助"}, {"cmdOK", "更新"}, {"cmdCancel", "取消"}};
const Caption kLabelCaptions[] = {
    {"lblLabels0", "数据库："}, {"Computer0", "服务器："}, {"lblLabels1", "SA口令："}};

class Form1Layout : public Form1Test {
  protected:
    // The Form1 control that a click at this client point reaches.
    std::string controlAt(QPoint point) {
        QWidget* widget = form->childAt(point);
        while (widget != nullptr && widget->parentWidget() != form.get()) {
            widget = widget->parentWidget();
        }
        return widget == nullptr ? std::string() : widget->objectName().toStdString();
    }

    // Presses Tab until the focus is back on dbList; the controls visited, in order.
    std::vector<std::string> tabRound() {
        std::vector<std::string> visited;
        for (int presses = 0; presses < 12 && (visited.empty() || visited.back() != "dbList");
             ++presses) {
            press(Qt::Key_Tab);
            visited.push_back(focusedControl());
        }
        return visited;
    }
};

TEST_F(Form1Layout, PlacesEveryControlAtItsPixelGeometry) {
    for (const auto& [name, pixels] : kPlacements) {
        SCOPED_TRACE(name);
        EXPECT_EQ(control(name).geometry(), pixels);
    }
}

TEST_F(Form1Layout, HasFixedClientAreaOf276By156) {
    EXPECT_EQ(form->size(), QSize(276, 156));
    EXPECT_EQ(form->minimumSize(), QSize(276, 156));
    EXPECT_EQ(form->maximumSize(), QSize(276, 156));
}

TEST_F(Form1Layout, TitleBarHasCaptionAndCloseBoxOnly) {
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Ostra.5X最大单据号"));
    const Qt::WindowFlags flags = form->windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowContextHelpButtonHint));
}

TEST_F(Form1Layout, OpensCentredOnTheScreen) {
    const QRect screen = form->screen()->availableGeometry();
    const QPoint offset = form->frameGeometry().center() - screen.center();
    EXPECT_LE(offset.manhattanLength(), 2)
        << "window centre is off by " << offset.x() << "," << offset.y();
}

TEST_F(Form1Layout, WindowIconHas16And32PixelImages) {
    const QList<QSize> sizes = form->windowIcon().availableSizes();
    EXPECT_TRUE(sizes.contains(QSize(16, 16)));
    EXPECT_TRUE(sizes.contains(QSize(32, 32)));
}

TEST_F(Form1Layout, SetsNoFontAnywhere) {
    EXPECT_FALSE(form->testAttribute(Qt::WA_SetFont));
    for (const auto& placement : kPlacements) {
        SCOPED_TRACE(placement.name);
        EXPECT_FALSE(control(placement.name).testAttribute(Qt::WA_SetFont));
    }
}

TEST_F(Form1Layout, ButtonsAndLabelsBearTheirCaptions) {
    for (const auto& [name, text] : kButtonCaptions) {
        SCOPED_TRACE(name);
        EXPECT_EQ(control<QPushButton>(name).text(), QString::fromUtf8(text));
    }
    for (const auto& [name, text] : kLabelCaptions) {
        SCOPED_TRACE(name);
        EXPECT_EQ(control<QLabel>(name).text(), QString::fromUtf8(text));
    }
}

TEST_F(Form1Layout, LabelsLieUnderTheFieldsTheyReachInto) {
    // Each label runs 8 pixels under its field; a click there must reach the field.
    EXPECT_EQ(controlAt({84, 20}), "txtUserName");
    EXPECT_EQ(controlAt({84, 50}), "txtPassword");
    EXPECT_EQ(controlAt({84, 76}), "dbList");
}

TEST_F(Form1Layout, StartsWithLocalServerAndEmptyPasswordAndList) {
    EXPECT_EQ(control<QLineEdit>("txtUserName").text(), QStringLiteral("(local)"));
    EXPECT_EQ(control<QLineEdit>("txtPassword").text(), QString());
    EXPECT_EQ(control<QComboBox>("dbList").count(), 0);
    EXPECT_EQ(control<QComboBox>("dbList").currentText(), QString());
}

TEST_F(Form1Layout, StartsWithUpdateDisabledAndTheOtherButtonsEnabled) {
    EXPECT_FALSE(control("cmdOK").isEnabled());
    EXPECT_TRUE(control("cmdRefresh").isEnabled());
    EXPECT_TRUE(control("cmdSelect").isEnabled());
    EXPECT_TRUE(control("cmdCancel").isEnabled());
}

TEST_F(Form1Layout, RefreshIsTheDefaultButton) {
    EXPECT_TRUE(control<QPushButton>("cmdRefresh").isDefault());
}

TEST_F(Form1Layout, DatabaseListIsEditableKeepsTypedTextOutAndKeepsAddedOrder) {
    auto& list = control<QComboBox>("dbList");
    EXPECT_TRUE(list.isEditable());
    EXPECT_EQ(list.insertPolicy(), QComboBox::NoInsert);
    form->addDatabase("zrdata_002_2024");
    form->addDatabase("zrdata_001_2024");
    EXPECT_EQ(entries(), (std::vector<std::string>{"zrdata_002_2024", "zrdata_001_2024"}));
}

TEST_F(Form1Layout, FirstFocusIsOnTheDatabaseList) {
    EXPECT_EQ(focusedControl(), "dbList");
}

TEST_F(Form1Layout, LabelsNeverTakeTheFocus) {
    for (const auto& caption : kLabelCaptions) {
        SCOPED_TRACE(caption.name);
        EXPECT_EQ(control(caption.name).focusPolicy(), Qt::NoFocus);
    }
}

TEST_F(Form1Layout, TabPassesOverDisabledUpdate) {
    EXPECT_EQ(tabRound(), (std::vector<std::string>{"cmdRefresh", "cmdSelect", "txtUserName",
                                                    "cmdCancel", "txtPassword", "dbList"}));
}

TEST_F(Form1Layout, TabVisitsUpdateOnceEnabled) {
    form->enableUpdate();
    EXPECT_EQ(tabRound(),
              (std::vector<std::string>{"cmdRefresh", "cmdSelect", "txtUserName", "cmdOK",
                                        "cmdCancel", "txtPassword", "dbList"}));
}

}  // namespace
}  // namespace kelvar::gui_test
