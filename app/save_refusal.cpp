#include "app/save_refusal.h"

#include "core/data_file_guard.h"
#include "plot/picture_export.h"

namespace varnel::app {

bool RefusedAsDataFile(UserInterface& ui, const std::vector<std::string>& dataFileNames,
                       const std::string& path) {
    const std::optional<std::string> dataFile = DataFileSavedOver(dataFileNames, path);
    if (!dataFile) return false;
    ui.ShowMessage(SaveOverDataFileMessage(*dataFile));
    return true;
}

bool RefusedAsPicture(UserInterface& ui, const std::string& path) {
    if (plot::PictureFormatOfName(path)) return false;
    ui.ShowMessage(plot::UnsupportedPictureMessage(path));
    return true;
}

}  // namespace varnel::app
