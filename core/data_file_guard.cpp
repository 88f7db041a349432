#include "core/data_file_guard.h"

#include "core/replacing_file.h"
#include "core/report.h"
#include "core/varnel_error.h"

namespace varnel {

std::string SaveOverDataFileMessage(const std::string& dataFileName) {
    return "Cannot save over the data file \"" + FileNameWithoutFolder(dataFileName) + "\".";
}

std::string SaveOverSectionsTableMessage(const std::string& tableName) {
    return "Cannot save over the sections table \"" + FileNameWithoutFolder(tableName) + "\".";
}

std::optional<std::string> SectionsSaveRefusal(const std::string& table,
                                               const std::vector<std::string>& dataFiles,
                                               const std::string& path) {
    if (SavesOverDataFile(table, path)) return SaveOverSectionsTableMessage(table);
    if (const auto dataFile = DataFileSavedOver(dataFiles, path)) {
        return SaveOverDataFileMessage(*dataFile);
    }
    return std::nullopt;
}

bool SavesOverDataFile(const std::string& dataFileName, const std::string& path) {
    return !dataFileName.empty() && SameExistingFile(path, dataFileName);
}

std::optional<std::string> DataFileSavedOver(const std::vector<std::string>& dataFileNames,
                                             const std::string& path) {
    for (const std::string& dataFileName : dataFileNames) {
        if (SavesOverDataFile(dataFileName, path)) return dataFileName;
    }
    return std::nullopt;
}

void RefuseSaveOverDataFile(const std::string& dataFileName, const std::string& path) {
    if (SavesOverDataFile(dataFileName, path)) {
        throw VarnelError(SaveOverDataFileMessage(dataFileName));
    }
}

void RefuseSaveOverDataFile(const AnalysisState& state, const std::string& path) {
    RefuseSaveOverDataFile(state.DataFileName, path);
}

}  // namespace varnel
