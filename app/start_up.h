#pragma once

#include <functional>
#include <memory>

#include "platform/database.h"

class QApplication;

namespace kelvar {

// Installs Qt's own Chinese texts (context menus, standard buttons) when they are installed.
void loadChineseTranslation(QApplication& application);

// Creates Form1 on the database component, shows it and runs the event loop until it closes. A
// failure while the window loads is reported in a box bearing the application title, and the
// program ends with a non-zero status.
[[nodiscard]] int runForm1(DatabaseAccess& access);

// The same, first creating the database component; a failure to create it ends the program the
// same way.
[[nodiscard]] int runForm1(const std::function<std::unique_ptr<DatabaseAccess>()>& createAccess);

}  // namespace kelvar
