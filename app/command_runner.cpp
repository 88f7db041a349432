#include "app/command_runner.h"

#include <QApplication>
#include <exception>

#include "core/varnel_error.h"

namespace varnel::app {

void RunCommand(UserInterface& ui, const std::function<void()>& command) {
    try {
        command();
    } catch (const std::exception& error) {
        ui.ShowError(ErrorBoxText(UserMessageOf(error), UserDetailOf(error)));
    }
}

BusyCursor::BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }

BusyCursor::~BusyCursor() { QApplication::restoreOverrideCursor(); }

}  // namespace varnel::app
