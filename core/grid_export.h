#pragma once

#include <string>

#include "core/analysis_state.h"

namespace varnel {

/// The 103 lines (CR LF) of the T² grid: the p and q ranges of the Post-strain frame, a header
/// of the 100 p values, then one row per q value holding T² at every (p, q) of the 100 × 100
/// grid. Evaluates the objective 10,000 times into buffers of its own: the pre-strain data of
/// the state stay as they are.
/// Throws VarnelError("No data loaded") for N < 3, or a floating-point error of the objective.
std::string TSquaredGridText(const AnalysisState& state, char decimalSeparator);

/// Writes TSquaredGridText to `path`, replacing an existing file only when the whole table is
/// written. Throws VarnelError as TSquaredGridText, with the I/O error text of a failed save, or
/// SaveOverDataFileMessage before any work when `path` is the data file.
void ExportTSquaredGrid(const AnalysisState& state, const std::string& path, char decimalSeparator);

}  // namespace varnel
