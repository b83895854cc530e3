#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QRect>
#include <QSize>
#include <QString>
#include <QTest>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "app/form1.h"
#include "fakes/fake_database.h"

// Readable failure output for the Qt values the tests compare.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QRect& rect, std::ostream* out) {
    *out << rect.x() << "," << rect.y() << " " << rect.width() << "x" << rect.height();
}
inline void PrintTo(const QSize& size, std::ostream* out) {
    *out << size.width() << "x" << size.height();
}

namespace kelvar::gui_test {

// Drives the real Form1 as the user does: finds its controls, moves the focus, types and presses.
class Form1Driver : public ::testing::Test {
  protected:
    // Creates Form1 on the database component, shows it and makes it the active window.
    void open(DatabaseAccess& access);
    void TearDown() override;

    // The control with this objectName; fails the test when there is none.
    template <typename Control = QWidget>
    Control& control(const char* name) {
        auto* found = form->findChild<Control*>(QString::fromLatin1(name));
        if (found == nullptr) {
            ADD_FAILURE() << "Form1 has no " << name;
            throw std::runtime_error(std::string("no control ") + name);
        }
        return *found;
    }

    // The objectName of the Form1 control that holds the keyboard focus ("" when none).
    [[nodiscard]] std::string focusedControl() const;
    // Gives the focus to a control, as a click into it would.
    void focus(const char* name);
    // Types the text into whatever has the focus, one key press per character.
    void type(const QString& text);
    void press(Qt::Key key);

    [[nodiscard]] std::vector<std::string> entries();

    std::unique_ptr<Form1> form;
};

// The real Form1 on the fake database.
class Form1Test : public Form1Driver {
  protected:
    void SetUp() override { open(database); }

    // The releases of CON and RS, in order ("CON.Release", "RS1.Release").
    [[nodiscard]] std::vector<std::string> releases() const;

    fake::FakeDatabase database;
};

}  // namespace kelvar::gui_test
