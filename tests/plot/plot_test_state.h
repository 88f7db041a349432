#pragma once

#include <cmath>
#include <memory>
#include <numbers>

#include "core/analysis_state.h"
#include "core/confidence_region.h"
#include "core/estimation.h"
#include "plot/plot_frames.h"

namespace varnel::testing_support {

/// A realistic analysis: `count` ellipses of ratios 1.2 … 2.2 at spread orientations, deformed
/// by a strain of ratio 1.8 along 30°, estimated, with its 95 % region and both frames.
inline std::unique_ptr<AnalysisState> AnalysedState(int count = 40) {
    auto state = std::make_unique<AnalysisState>();
    constexpr double kStrainRatio = 1.8;
    constexpr double kStrainAngle = std::numbers::pi / 6;
    state->DataCount = count;
    for (int k = 1; k <= count; ++k) {
        const double r0 = 1.2 + std::fmod(k * 0.618034, 1.0);
        const double phi0 = std::fmod(k * 0.7548777, 1.0) * std::numbers::pi - std::numbers::pi / 2;
        const Ellipse deformed = SuperposeStrain(kStrainRatio, r0, phi0 - kStrainAngle);
        state->RPost[k] = deformed.R;
        state->PhiPost[k] = deformed.phi + kStrainAngle;
    }
    state->FQuantile95[count] = 3.2;
    EstimateStrain(*state, nullptr);
    ComputeConfidenceResults(*state, ConfidenceLevel::Level95);
    plot::ComputePlotBounds(*state);
    return state;
}

}  // namespace varnel::testing_support
