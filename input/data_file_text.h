#pragma once

#include <string>

#include "core/analysis_state.h"

namespace varnel {

/// The ellipses of the state (RPost, PhiPost of data 1 … DataCount) as a data file, one
/// "R,φ" line each with φ in degrees and "." as decimal point ("2.41,55"), which the data
/// reader reads back into the very same doubles under every locale (a field with a "." is read
/// with it whatever the locale's separator): each number is the shortest text that does.
std::string DataFileText(const AnalysisState& state);

/// The shortest text of `value`, "." as decimal point, that the data reader converts back to
/// exactly `value`.
std::string DataNumberText(double value);

}  // namespace varnel
