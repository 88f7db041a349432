#include "methods/methods.h"

#include <algorithm>
#include <numbers>
#include <vector>

#include "core/checked_math.h"
#include "core/messages.h"
#include "core/objective.h"
#include "core/orientation.h"
#include "core/t_squared.h"
#include "core/varnel_error.h"
#include "methods/estimators.h"
#include "methods/fabric_tests.h"

namespace varnel::methods {

namespace {

// T² of the data at zero strain, by the program's own objective, retro-deforming into buffers
// of its own so that the state keeps the pre-strain data the analysis left. Observed vectors
// whose covariance is singular give T² = N − 1 whatever their mean, an infinite F: the test
// divides by zero, judging the state's post vectors as the Open command does.
double TSquaredAtZeroStrain(const AnalysisState& state) {
    const std::size_t size = std::size_t(state.DataCount) + 1;
    std::vector<double> ratios(size), orientations(size);
    std::vector<StrainVector> vectors(size);
    const double T0 = TSquaredInto(state, StrainVector{0.0, 0.0}, {ratios, orientations, vectors});
    if (CovarianceIsSingular(state.PostVectors.data(), state.DataCount)) ThrowDivisionByZero();
    return T0;
}

}  // namespace

std::vector<EllipseInDegrees> ObservedEllipses(const AnalysisState& state) {
    std::vector<EllipseInDegrees> ellipses;
    ellipses.reserve(std::size_t(std::max(state.DataCount, 0)));
    for (int k = 1; k <= state.DataCount; ++k) {
        ellipses.push_back({state.RPost[k], RadiansToDegrees(state.PhiPost[k])});
    }
    return ellipses;
}

MethodsResult ComputeMethods(const AnalysisState& state) {
    if (state.DataCount < 3) throw VarnelError(kTooFewDataMessage);
    const std::vector<EllipseInDegrees> ellipses = ObservedEllipses(state);
    MethodsResult result;
    result.t2 = {EstimatedRatio(state), ReduceHalfTurns(EstimatedPhiDegrees(state))};
    result.hyperbolicMean = HyperbolicMeanOf(ellipses);
    result.harmonicMean = HarmonicMeanOf(ellipses);
    result.rfMaxMin = RfMaxMinOf(ellipses);
    result.noStrain = NoStrainTestOf(TSquaredAtZeroStrain(state), state.DataCount);
    const SymmetryTests symmetry = SymmetryTestsOf(ellipses, result.t2, kSymmetryNullSeed,
                                                   SymmetryNullSetsFor(state.DataCount));
    result.symmetryChi2 = symmetry.chi2;
    result.symmetryIndex = symmetry.index;
    result.symmetryNull = symmetry.null;
    return result;
}

}  // namespace varnel::methods
