#pragma once

#include <string>

#include "core/analysis_state.h"

namespace varnel {

/// Reads "finv.dat" from `folder` (the folder of the running executable) into the three
/// F-quantile tables. Returns false when no file of that name exists (a folder does not count).
/// Throws VarnelError with the I/O error text on a malformed number ("入力値が数値ではありません")
/// or a read error; rows read before it stay stored.
bool LoadFQuantileTable(AnalysisState& state, const std::string& folder);

/// The folder of the running executable, with a trailing "/".
std::string ExecutableFolder();

}  // namespace varnel
