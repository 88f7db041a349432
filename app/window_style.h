#pragma once

#include <QFont>
#include <QLabel>
#include <QString>

namespace varnel::app {

/// Arial at 12 pixels: the font of every window of the program.
QFont ProgramFont();

/// `widget` with the object name `name`, by which tests and settings find it.
template <typename Widget>
Widget* Named(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

/// A bold label over a group of controls.
QLabel* Heading(const char* text);

}  // namespace varnel::app
