// The help button: the list of handled kinds, shown the same every time and changing nothing.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "form1_fixture.h"
#include "message_box_answerer.h"

namespace kelvar::gui_test {
namespace {

const QString kHelpText = QStringLiteral(
    "1.收发记录主子表\n2.销售发票\n3.发货单\n4.采购订单\n5.销售订单\n6.采购发票\n7.采购结算单\n"
    "8.委托代销结算单\n9.代垫费用单\n10.盘点单\n11.出入库调整单\n12.限额领料单\n13.采购请购单\n"
    "14.采购到货单\n15.销售报价单\n16.销售支出单\n17.库存调拨单\n18.现结线索\n\n联系人：tavik");

using Form1Help = Form1Test;

TEST_F(Form1Help, ShowsTheKindsAndContactTitledHelpWithOneButtonAndNoIcon) {
    const MessageBoxAnswerer answerer;
    QTest::mouseClick(&control<QPushButton>("cmdSelect"), Qt::LeftButton);

    ASSERT_EQ(answerer.seen().size(), 1U);
    const SeenMessageBox& box = answerer.seen()[0];
    EXPECT_EQ(box.text, kHelpText);
    EXPECT_EQ(box.text.size(), 159);
    EXPECT_EQ(box.text.count(QChar('\n')), 19);
    EXPECT_FALSE(box.text.contains(QChar('\r')));
    EXPECT_EQ(box.title, QStringLiteral("帮助"));
    EXPECT_EQ(box.icon, QMessageBox::NoIcon);
    EXPECT_EQ(box.buttons, QStringList{QStringLiteral("确定")});
    EXPECT_TRUE(box.modal);
}

TEST_F(Form1Help, ShowsTheSameTextAgainAndChangesNothing) {
    form->addDatabase("zrdata_001_2024");
    focus("dbList");
    type(QStringLiteral("zrdata_typed"));
    const auto callsBefore = database.calls().size();
    const MessageBoxAnswerer answerer;

    QTest::mouseClick(&control<QPushButton>("cmdSelect"), Qt::LeftButton);
    QTest::mouseClick(&control<QPushButton>("cmdSelect"), Qt::LeftButton);

    ASSERT_EQ(answerer.seen().size(), 2U);
    EXPECT_EQ(answerer.seen()[1].text, kHelpText);
    EXPECT_EQ(database.calls().size(), callsBefore);
    EXPECT_EQ(entries(), std::vector<std::string>{"zrdata_001_2024"});
    EXPECT_EQ(control<QComboBox>("dbList").currentText(), QStringLiteral("zrdata_typed"));
    EXPECT_EQ(control<QLineEdit>("txtUserName").text(), QStringLiteral("(local)"));
    EXPECT_EQ(control<QLineEdit>("txtPassword").text(), QString());
    EXPECT_FALSE(control("cmdOK").isEnabled());
    EXPECT_TRUE(form->isVisible());
}

}  // namespace
}  // namespace kelvar::gui_test
