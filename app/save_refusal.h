#pragma once

#include <string>

#include "app/user_interface.h"

namespace varnel::app {

/// The windows' side of the data-file refusal: when `path` is the file `dataFileName` of the
/// analysis the window holds, shows SaveOverDataFileMessage in a plain message box and returns
/// true; the save is then not made.
bool RefusedAsDataFile(UserInterface& ui, const std::string& dataFileName, const std::string& path);

}  // namespace varnel::app
