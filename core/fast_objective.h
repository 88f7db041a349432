#pragma once

#include <optional>
#include <vector>

#include "core/analysis_state.h"
#include "core/lorentz_boost.h"

namespace varnel {

/// cos 2φ and sin 2φ of the observed orientations PhiPost 1 … N (at index k − 1), in extended
/// precision: ComputePostVectors computes them once for the post vectors and the fast path.
struct DoubledAngles {
    std::vector<long double> cos, sin;
};

/// The fast path of the T² objective (core/objective.h tells which path runs where): T² of
/// trial strains from precomputed shape tensors of the observed ellipses, without
/// trigonometry, equal to TSquaredOfStrain within a few units of rounding. It writes no
/// pre-strain data; an evaluation it cannot vouch for goes to the reference path.
class FastObjective {
public:
    /// Precomputes (cosh ρ − 1, sinh ρ·cos 2φ, sinh ρ·sin 2φ), ρ = ln R, of RPost/PhiPost 1 … N.
    explicit FastObjective(const AnalysisState& state);
    /// The same with the doubled angles of the data at hand.
    FastObjective(const AnalysisState& state, const DoubledAngles& angles);
    ~FastObjective();
    FastObjective(const FastObjective&) = delete;
    FastObjective& operator=(const FastObjective&) = delete;

    /// T² of the log-strain vector x, the data shared between both cores from 2048 on. A nearly
    /// singular moment matrix costs a second pass, in its principal frame. Where the fast path
    /// cannot vouch for its value (a non-finite intermediate, N < 3, a moment matrix singular or
    /// too near to it for the error bound of that frame) it returns TSquaredOfStrain(state, x),
    /// which writes the pre-strain data and may throw.
    double Evaluate(AnalysisState& state, StrainVector x) const;

    /// T² of x on the calling thread alone, or nothing where the reference path must decide.
    /// Safe to call from several threads at once; bit-identical to Evaluate where both vouch.
    std::optional<double> TryEvaluate(StrainVector x) const;

private:
    friend struct FastObjectiveInternals;
    struct Frame;
    struct BlockSums;
    struct Totals;
    int LanesOfBlock(int block) const;
    BlockSums SumBlock(int block, const LorentzBoost& boost, const Frame* frame) const;
    Totals SumBlocks(const LorentzBoost& boost, const Frame* frame, bool shareAmongThreads) const;
    std::optional<double> TSquared(StrainVector x, bool shareAmongThreads) const;
    std::optional<double> TSquaredInPrincipalFrame(const LorentzBoost& boost, long double angle,
                                                   bool shareAmongThreads) const;

    int count_ = 0;
    int blocks_ = 0;
    bool usable_ = true;
    std::vector<double> coshMinusOne_, sinhCos_, sinhSin_;  // padded with circles
    long double sumOfSquaredCosh_ = 0.0L;                   // Σ cosh² ρ over the data
    mutable std::vector<BlockSums> blockSums_;              // written by the shared evaluation
};

}  // namespace varnel
