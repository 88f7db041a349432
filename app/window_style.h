#pragma once

#include <QFont>
#include <QLabel>

namespace varnel::app {

/// Arial at 12 pixels: the font of every window of the program.
QFont ProgramFont();

/// A bold label over a group of controls.
QLabel* Heading(const char* text);

}  // namespace varnel::app
