#include "app/message_box.h"

#include <QAbstractButton>
#include <QGridLayout>
#include <QIcon>
#include <QMessageBox>
#include <QSpacerItem>

#include "app/busy_cursor.h"
#include "app/window_texts.h"

namespace kelvar {
namespace {

// Window managers cut a caption that is wider than the box; leave room for it beside the title
// bar's icon and close box, as the classic message box does.
void makeRoomForCaption(QMessageBox& box, const QString& caption) {
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (grid == nullptr) {
        return;
    }
    const int width = box.fontMetrics().horizontalAdvance(caption) * 5 / 4 + 96;
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
                  grid->rowCount(), 0, 1, grid->columnCount());  // owned by the layout
}

}  // namespace

void showMessageBox(QWidget* parent, const QString& text, const QString& caption) {
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    QAbstractButton* ok = box.button(QMessageBox::Ok);
    ok->setText(QString::fromUtf8(kOkButtonText));
    ok->setIcon(QIcon());  // some styles put a check mark on OK buttons
    makeRoomForCaption(box, caption);
    const ArrowWhileBusy arrow;
    box.exec();
}

}  // namespace kelvar
