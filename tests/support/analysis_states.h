#pragma once

#include <cstdio>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "core/analysis_state.h"

namespace varnel::testing_support {

/// One ellipse as a data file gives it: its ratio and its long-axis orientation in degrees.
struct DatumInDegrees {
    double R = 1.0;
    double phiDegrees = 0.0;
};

/// The data as the lines "R,φ" of a data file, every digit of the doubles kept.
inline std::string DataFileText(const std::vector<DatumInDegrees>& data) {
    std::string text;
    char line[64];
    for (const DatumInDegrees& d : data) {
        std::snprintf(line, sizeof line, "%.17g,%.17g\n", d.R, d.phiDegrees);
        text += line;
    }
    return text;
}

/// A fresh analysis state holding the data (φ in radians), as the data file reader stores them.
inline std::unique_ptr<AnalysisState> StateOf(const std::vector<DatumInDegrees>& data) {
    auto state = std::make_unique<AnalysisState>();
    for (const DatumInDegrees& d : data) {
        ++state->DataCount;
        state->RPost[state->DataCount] = d.R;
        state->PhiPost[state->DataCount] =
            static_cast<double>(d.phiDegrees * (std::numbers::pi_v<long double> / 180.0L));
    }
    return state;
}

}  // namespace varnel::testing_support
