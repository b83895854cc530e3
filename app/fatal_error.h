#pragma once

#include <exception>

class QWidget;

namespace kelvar {

// The exit status of a program ended by an error that no handler deals with.
inline constexpr int kFatalExitStatus = 1;

// Reports such an error in its own words, in a box bearing the application title.
void reportFatalError(QWidget* parent, const std::exception& error);

}  // namespace kelvar
