#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/analysis_state.h"

namespace varnel {

// The one refusal of every save, in both windows and in varnel-cli: nothing is ever written
// over the data file of the analysis the program holds.

/// The refusal of a save over the data file: "Cannot save over the data file \"NAME\".", NAME
/// being `dataFileName` without its folder.
std::string SaveOverDataFileMessage(const std::string& dataFileName);

/// True when saving to `path` would write over the file `dataFileName` (the path an analysis
/// was read from; empty for none): the same device and inode, whatever links or spelling lead
/// there.
bool SavesOverDataFile(const std::string& dataFileName, const std::string& path);

/// The first of `dataFileNames` (empty ones skipped) that saving to `path` would write over, by
/// SavesOverDataFile; none when the save writes over none of them.
std::optional<std::string> DataFileSavedOver(const std::vector<std::string>& dataFileNames,
                                             const std::string& path);

/// The refusal of a save over a sections table: "Cannot save over the sections table \"NAME\".".
std::string SaveOverSectionsTableMessage(const std::string& tableName);

/// The refusal of a save to `path` over the sections table `table`
/// (SaveOverSectionsTableMessage) or over one of its sections' `dataFiles`
/// (SaveOverDataFileMessage); none when it writes over neither.
std::optional<std::string> SectionsSaveRefusal(const std::string& table,
                                               const std::vector<std::string>& dataFiles,
                                               const std::string& path);

/// Throws VarnelError(SaveOverDataFileMessage) when SavesOverDataFile.
void RefuseSaveOverDataFile(const std::string& dataFileName, const std::string& path);

/// RefuseSaveOverDataFile for the data file of the analysed state (DataFileName).
void RefuseSaveOverDataFile(const AnalysisState& state, const std::string& path);

}  // namespace varnel
