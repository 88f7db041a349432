#pragma once

#include <optional>
#include <vector>

#include "core/analysis_state.h"

namespace varnel {

/// Sums of one block of pre vectors: Σx1, Σx2, Σx1², Σx2², Σx1·x2.
struct PreVectorSums {
    double x1 = 0.0, x2 = 0.0, x11 = 0.0, x22 = 0.0, x12 = 0.0;
};

/// T² of trial strains evaluated from precomputed shape tensors of the observed ellipses, without
/// trigonometry: the same objective as TSquaredOfStrain within a few units of rounding. It leaves
/// RPre, PhiPre and PreVectors alone unless it hands an evaluation to the reference path.
class FastObjective {
public:
    /// Precomputes (cosh ρ − 1, sinh ρ·cos 2φ, sinh ρ·sin 2φ), ρ = ln R, of RPost/PhiPost 1 … N.
    explicit FastObjective(const AnalysisState& state);

    /// T² of the log-strain vector x, using both cores at large N. Where the fast path cannot
    /// vouch for its value (a non-finite intermediate, N < 3, a nearly singular moment matrix)
    /// it returns TSquaredOfStrain(state, x), which writes the pre-strain data and may throw.
    double Evaluate(AnalysisState& state, StrainVector x) const;

    /// T² of x on the calling thread alone, or nothing where the reference path must decide.
    /// Safe to call from several threads at once.
    std::optional<double> TryEvaluate(StrainVector x) const;

    /// Retro-deforms every datum by x and writes its pre vector to pre[0 … N−1] (for tests).
    void ComputePreVectors(StrainVector x, std::vector<StrainVector>& pre) const;

private:
    struct Boost;
    struct Totals;
    Boost BoostOf(StrainVector x) const;
    int LanesOfBlock(int block) const;
    PreVectorSums SumBlock(int block, const Boost& boost) const;
    std::optional<double> TSquaredOfTotals(const Totals& total) const;

    int count_ = 0;
    int blocks_ = 0;
    bool usable_ = true;
    std::vector<double> coshMinusOne_, sinhCos_, sinhSin_;  // padded with circles
    mutable std::vector<PreVectorSums> blockSums_;
};

}  // namespace varnel
