#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "core/analysis_state.h"
#include "methods/methods.h"
#include "tests/support/analysis_states.h"  // StateOf

namespace varnel::testing_support {

/// A population of initial ellipses, then strained: ln R0 normal, orientations uniform over
/// `fabricDegrees` ± `fabricHalfWidth` from the strain's axis (± 90° for an isotropic set); the
/// more elongated half (ln R0 above its mean) over `largeFabricDegrees` ± `largeFabricHalfWidth`
/// where these are given.
struct Population {
    int count = 252;
    std::uint32_t seed = 1;
    double logRatioMean = 0.3, logRatioSpread = 0.25;
    double fabricDegrees = 0.0, fabricHalfWidth = 90.0;
    std::optional<double> largeFabricDegrees{}, largeFabricHalfWidth{};
    methods::StrainLocation strain{1.8, 30.0};
};

/// The ellipses of a population after its strain (the known strain acts along strain.phiDegrees).
std::vector<EllipseInDegrees> EllipsesOf(const Population& population);

/// Every ellipse strained by `strain`, by the program's own superposition.
std::vector<EllipseInDegrees> Strained(const std::vector<EllipseInDegrees>& ellipses,
                                       methods::StrainLocation strain);

/// StateOf(ellipses) after the estimation of the Open command.
std::unique_ptr<AnalysisState> EstimatedStateOf(const std::vector<EllipseInDegrees>& ellipses);

}  // namespace varnel::testing_support
