#include "app/fatal_error.h"

#include <QString>

#include "app/message_box.h"
#include "app/window_texts.h"

namespace kelvar {

void reportFatalError(QWidget* parent, const std::exception& error) {
    showMessageBox(parent, QString::fromUtf8(error.what()), QString::fromUtf8(kApplicationTitle));
}

}  // namespace kelvar
