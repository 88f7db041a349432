#pragma once

#include <functional>

#include "app/user_interface.h"

namespace varnel::app {

/// Runs one command to its end. An error the command does not handle (a VarnelError or any
/// other std::exception) ends it and shows the error box with ErrorBoxText of its message;
/// nothing escapes to the event loop.
void RunCommand(UserInterface& ui, const std::function<void()>& command);

/// The busy cursor over the whole application for the life of the guard, however the
/// command ends.
class BusyCursor {
public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace varnel::app
