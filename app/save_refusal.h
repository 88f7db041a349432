#pragma once

#include <string>
#include <vector>

#include "app/user_interface.h"

namespace varnel::app {

/// The windows' side of the data-file refusal: when `path` is one of `dataFileNames` (the data
/// file of the analysis the window holds, and the files File > Open was last given), shows
/// SaveOverDataFileMessage naming the first such file in a plain message box and returns true;
/// the save is then not made.
bool RefusedAsDataFile(UserInterface& ui, const std::vector<std::string>& dataFileNames,
                       const std::string& path);

/// The windows' side of a picture's name: when `path` ends in no extension a picture is saved
/// under, shows UnsupportedPictureMessage in a plain message box and returns true.
bool RefusedAsPicture(UserInterface& ui, const std::string& path);

}  // namespace varnel::app
