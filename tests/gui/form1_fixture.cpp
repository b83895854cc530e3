#include "form1_fixture.h"

namespace kelvar::gui_test {

void Form1Driver::open(DatabaseAccess& access) {
    form = std::make_unique<Form1>(access);
    form->show();
    QApplication::setActiveWindow(form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
}

void Form1Driver::TearDown() {
    form.reset();
}

std::string Form1Driver::focusedControl() const {
    // The window's own focus widget: it holds the keyboard focus whenever the window is active,
    // also while a message box has just given the activation back.
    for (QWidget* widget = form->focusWidget(); widget != nullptr;
         widget = widget->parentWidget()) {
        if (widget->parentWidget() == form.get()) {
            return widget->objectName().toStdString();
        }
    }
    return {};
}

void Form1Driver::focus(const char* name) {
    control(name).setFocus(Qt::MouseFocusReason);
    ASSERT_EQ(focusedControl(), name);
}

void Form1Driver::type(const QString& text) {
    for (const QChar character : text) {
        QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key_unknown,
                            QString(character), Qt::NoModifier);
    }
}

void Form1Driver::press(Qt::Key key) {
    QTest::keyClick(QApplication::focusWidget(), key);
}

std::vector<std::string> Form1Driver::entries() {
    auto& list = control<QComboBox>("dbList");
    std::vector<std::string> texts;
    for (int i = 0; i < list.count(); ++i) {
        texts.push_back(list.itemText(i).toStdString());
    }
    return texts;
}

std::vector<std::string> Form1Test::releases() const {
    std::vector<std::string> released;
    for (const auto& call : database.calls()) {
        if (call.op == fake::Op::ReleaseConnection || call.op == fake::Op::ReleaseRecordset) {
            released.push_back(call.toString());
        }
    }
    return released;
}

}  // namespace kelvar::gui_test
