#include "app/save_refusal.h"

#include "core/data_file_guard.h"

namespace varnel::app {

bool RefusedAsDataFile(UserInterface& ui, const std::vector<std::string>& dataFileNames,
                       const std::string& path) {
    const std::optional<std::string> dataFile = DataFileSavedOver(dataFileNames, path);
    if (!dataFile) return false;
    ui.ShowMessage(SaveOverDataFileMessage(*dataFile));
    return true;
}

}  // namespace varnel::app
