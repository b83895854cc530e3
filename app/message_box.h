#pragma once

#include <QString>

class QWidget;

namespace kelvar {

// Shows a modal box with the text, one "确定" button and no icon, and returns when it is dismissed.
// The text is shown as plain text: driver messages may hold '<' and must not be read as markup.
void showMessageBox(QWidget* parent, const QString& text, const QString& caption);

}  // namespace kelvar
