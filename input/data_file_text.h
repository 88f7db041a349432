#pragma once

#include <string>

#include "core/analysis_state.h"

namespace varnel {

/// The ellipses of the state (RPost, PhiPost of data 1 … DataCount) as a data file, one
/// "R,φ" line each with φ in degrees, which the data reader reads back into the very same
/// doubles with `decimalSeparator`: each number is the shortest text that does. With a decimal
/// comma the fields are separated by a tab and decimals are written as digits and an exponent
/// ("15e-1"), since the reader splits a line at its first comma.
std::string DataFileText(const AnalysisState& state, char decimalSeparator);

/// The shortest text of `value` that the data reader converts back to exactly `value`.
std::string DataNumberText(double value, char decimalSeparator);

}  // namespace varnel
