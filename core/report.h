#pragma once

#include <string>
#include <vector>

#include "core/analysis_state.h"

namespace varnel {

/// The 27 lines of the result report: file name, N, and for R_s, phi_s, x_s[1] and x_s[2]
/// the estimate, its distances to the range ends and the range.
std::vector<std::string> WriteReport(const AnalysisState& state, char decimalSeparator);

/// The last component of a path (the text after the last "/", "\" or ":").
std::string FileNameWithoutFolder(const std::string& path);

}  // namespace varnel
