#include "message_box_answerer.h"

#include <QAbstractButton>
#include <QApplication>

namespace kelvar::gui_test {
namespace {
constexpr char kAnswered[] = "answeredByTest";
}

MessageBoxAnswerer::MessageBoxAnswerer() {
    QObject::connect(&poll_, &QTimer::timeout, [this] { answerOpenBox(); });
    poll_.start(0);
}

void MessageBoxAnswerer::answerOpenBox() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible() || box->property(kAnswered).toBool()) {
        return;
    }
    box->setProperty(kAnswered, true);
    QStringList buttons;
    for (const QAbstractButton* button : box->buttons()) {
        buttons << button->text();
    }
    seen_.push_back(
        {box->windowTitle(), box->text(), box->icon(), buttons, box->textFormat(), box->isModal()});
    if (whileOpen_) {
        whileOpen_(*box);
    }
    if (!box->buttons().isEmpty()) {
        box->buttons().constFirst()->click();
    }
}

}  // namespace kelvar::gui_test
