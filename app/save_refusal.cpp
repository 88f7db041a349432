#include "app/save_refusal.h"

#include "core/data_file_guard.h"

namespace varnel::app {

bool RefusedAsDataFile(UserInterface& ui, const std::string& dataFileName,
                       const std::string& path) {
    if (!SavesOverDataFile(dataFileName, path)) return false;
    ui.ShowMessage(SaveOverDataFileMessage(dataFileName));
    return true;
}

}  // namespace varnel::app
