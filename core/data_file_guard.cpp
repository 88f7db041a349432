#include "core/data_file_guard.h"

#include "core/replacing_file.h"
#include "core/report.h"
#include "core/varnel_error.h"

namespace varnel {

std::string SaveOverDataFileMessage(const AnalysisState& state) {
    return "Cannot save over the data file \"" + FileNameWithoutFolder(state.DataFileName) + "\".";
}

bool SavesOverDataFile(const AnalysisState& state, const std::string& path) {
    return !state.DataFileName.empty() && SameExistingFile(path, state.DataFileName);
}

void RefuseSaveOverDataFile(const AnalysisState& state, const std::string& path) {
    if (SavesOverDataFile(state, path)) throw VarnelError(SaveOverDataFileMessage(state));
}

}  // namespace varnel
