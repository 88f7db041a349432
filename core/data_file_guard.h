#pragma once

#include <string>

#include "core/analysis_state.h"

namespace varnel {

/// The refusal of a save over the data file: "Cannot save over the data file \"NAME\".", NAME
/// being DataFileName without its folder.
std::string SaveOverDataFileMessage(const AnalysisState& state);

/// True when saving to `path` would write over the data file the analysis was read from
/// (DataFileName): the same device and inode, whatever links or spelling lead there.
bool SavesOverDataFile(const AnalysisState& state, const std::string& path);

/// Throws VarnelError(SaveOverDataFileMessage) when SavesOverDataFile.
void RefuseSaveOverDataFile(const AnalysisState& state, const std::string& path);

}  // namespace varnel
