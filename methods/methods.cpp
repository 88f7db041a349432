#include "methods/methods.h"

#include <numbers>

#include "core/messages.h"
#include "core/objective.h"
#include "core/varnel_error.h"
#include "methods/estimators.h"
#include "methods/fabric_tests.h"

namespace varnel::methods {

namespace {

// Keeps the pre-strain data of the state and puts them back on every path, so that evaluating
// the objective elsewhere leaves the state as the analysis left it.
class PreStrainDataGuard {
public:
    explicit PreStrainDataGuard(AnalysisState& state)
        : state_(state),
          count_(state.DataCount),
          R_(state.RPre.begin(), state.RPre.begin() + count_ + 1),
          phi_(state.PhiPre.begin(), state.PhiPre.begin() + count_ + 1),
          vectors_(state.PreVectors.begin(), state.PreVectors.begin() + count_ + 1) {}
    ~PreStrainDataGuard() {
        std::copy(R_.begin(), R_.end(), state_.RPre.begin());
        std::copy(phi_.begin(), phi_.end(), state_.PhiPre.begin());
        std::copy(vectors_.begin(), vectors_.end(), state_.PreVectors.begin());
    }
    PreStrainDataGuard(const PreStrainDataGuard&) = delete;
    PreStrainDataGuard& operator=(const PreStrainDataGuard&) = delete;

private:
    AnalysisState& state_;
    int count_;
    std::vector<double> R_, phi_;
    std::vector<StrainVector> vectors_;
};

// T² of the data at zero strain, by the program's own objective.
double TSquaredAtZeroStrain(AnalysisState& state) {
    const PreStrainDataGuard guard(state);
    return TSquaredOfStrain(state, StrainVector{0.0, 0.0});
}

}  // namespace

std::vector<Ellipse> ObservedEllipses(const AnalysisState& state) {
    std::vector<Ellipse> ellipses;
    ellipses.reserve(std::size_t(std::max(state.DataCount, 0)));
    for (int k = 1; k <= state.DataCount; ++k) {
        ellipses.push_back({state.RPost[k], state.PhiPost[k] * 180.0 / std::numbers::pi});
    }
    return ellipses;
}

MethodsResult ComputeMethods(AnalysisState& state) {
    if (state.DataCount < 3) throw VarnelError(kTooFewDataMessage);
    const std::vector<Ellipse> ellipses = ObservedEllipses(state);
    MethodsResult result;
    result.t2 = {EstimatedRatio(state), ReduceOrientation(EstimatedPhiDegrees(state))};
    result.hyperbolicMean = HyperbolicMeanOf(ellipses);
    result.harmonicMean = HarmonicMeanOf(ellipses);
    result.rfMaxMin = RfMaxMinOf(ellipses);
    result.noStrain = NoStrainTestOf(TSquaredAtZeroStrain(state), state.DataCount);
    result.symmetryChi2 = SymmetryChi2Of(RetroDeformedOffsets(ellipses, result.t2));
    result.symmetryIndex = SymmetryIndexOf(ellipses, kSymmetryIndexSeed);
    return result;
}

}  // namespace varnel::methods
