#pragma once

#include <QMessageBox>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <vector>

namespace kelvar::gui_test {

// What the user saw in one message box.
struct SeenMessageBox {
    QString title;
    QString text;
    QMessageBox::Icon icon;
    QStringList buttons;
    Qt::TextFormat textFormat;
    bool modal;
};

// Plays the user who reads every modal message box that opens and clicks its button. It looks for
// the active modal QMessageBox each time the event loop runs, which a box's own loop does.
class MessageBoxAnswerer {
  public:
    MessageBoxAnswerer();

    [[nodiscard]] const std::vector<SeenMessageBox>& seen() const { return seen_; }
    // Runs while a box is open, before its button is clicked.
    void whileOpen(std::function<void(QMessageBox&)> look) { whileOpen_ = std::move(look); }

  private:
    void answerOpenBox();

    QTimer poll_;
    std::vector<SeenMessageBox> seen_;
    std::function<void(QMessageBox&)> whileOpen_;
};

}  // namespace kelvar::gui_test
