#include "app/busy_cursor.h"

#include <QCursor>
#include <QGuiApplication>

namespace kelvar {

BusyCursor::BusyCursor() {
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

BusyCursor::~BusyCursor() {
    QGuiApplication::restoreOverrideCursor();
}

ArrowWhileBusy::ArrowWhileBusy() : pushed_(QGuiApplication::overrideCursor() != nullptr) {
    if (pushed_) {
        QGuiApplication::setOverrideCursor(QCursor(Qt::ArrowCursor));
    }
}

ArrowWhileBusy::~ArrowWhileBusy() {
    if (pushed_) {
        QGuiApplication::restoreOverrideCursor();
    }
}

}  // namespace kelvar
