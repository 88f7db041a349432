#pragma once

#include <cstdint>
#include <string>

#include "core/analysis_state.h"
#include "core/fast_objective.h"
#include "core/minimizers.h"
#include "core/varnel_error.h"

namespace varnel {

/// Receives the progress of the estimation: the maximum once, then a position per attempt.
class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    virtual void SetMaximum(int maximum) = 0;
    virtual void SetPosition(int position) = 0;
};

/// The runtime's linear congruential generator: seed = seed · 134775813 + 1 (mod 2³²),
/// each draw seed / 2³² in [0, 1).
class RandomGenerator {
public:
    void Reset(std::uint32_t seed) { seed_ = seed; }
    double Draw();

private:
    std::uint32_t seed_ = 0;
};

/// PostVectors[k] = EllipseToVector(RPost[k], PhiPost[k]) for k = 1 … N, shared among the
/// threads from a few thousand data on; returns the doubled angles it computed on the way, for
/// the fast path.
DoubledAngles ComputePostVectors(AnalysisState& state);

/// Mean of PostVectors 1 … N, summed in order; N = 0 is an invalid operation.
StrainVector MeanPostVector(const AnalysisState& state);

/// The reference path of the T² objective on `state` (StrainObjective) as a function of the
/// trial strain, to hand to the steps below; it rewrites the state's pre-strain data.
ObjectiveFunction ReferenceObjective(AnalysisState& state);

/// Start point: golden-section search of `objective` on the segment from the origin to
/// 1.2 × the mean post vector (ComputePostVectors has run).
StrainVector InitialStrainGuess(const AnalysisState& state, const ObjectiveFunction& objective);

/// Up to 11 simplex runs of `objective` from a triangle at s, restarting from a randomly
/// perturbed triangle after each run that ends on the evaluation limit; returns vertex 1 of
/// the last run.
StrainVector MinimizeStrain(StrainVector s, ProgressSink* progress,
                            const ObjectiveFunction& objective);

/// Stores x_s in StrainEstimate and, through VectorToEllipse, R_s and phi_s in degrees as the
/// estimated ellipse (EstimatedRatio, EstimatedPhiDegrees).
void StoreEstimate(AnalysisState& state, StrainVector estimate);

/// Throws the division-by-zero error when the post vectors 1 … N of the state (N ≥ 3), or its
/// pre vectors, have a singular covariance about their mean (CovarianceIsSingular): observed
/// vectors on one line anywhere, which the F test of no strain refuses too, or pre vectors whose
/// T² is N − 1 at every strain, so that the data do not determine one.
void RefuseUndeterminedEstimate(const AnalysisState& state);

/// The largest T² at the estimate that certifies it as the minimum. T² vanishes exactly where the
/// mean pre vector does, and that strain exists and is unique for any data, so the minimum is 0.
/// A simplex that reached it leaves T² at the level of rounding: at most 1e-27 on the examples
/// and ordinary sets, 4e-22 on 20,442 measured sets that pass kUndeterminedShare, and 2e-10 on
/// any whose estimate agreed with an accurate mean to 1e-6 in R_s, even the nearly collinear
/// ones that the share refuses. One that stopped on the side of a valley too narrow for it stays
/// near the maximum N − 1: at least 1.97 (N = 3) on the sets that pass the share, R_s off by up
/// to 66 %. 1e-6 lies 5000 times above the one and 2e6 times below the other, and leaves the
/// mean pre vector of an accepted estimate within 1e-3 of its standard error from zero. An
/// estimate above it is finished by Newton steps (FinishEstimate), which then must reach it.
inline constexpr double kCertifiedTSquared = 1e-6;

/// Thrown by EstimateStrain when T² at the estimate exceeds kCertifiedTSquared (N ≥ 3); what()
/// is MinimumNotReachedText with a "." decimal separator.
class MinimumNotReached : public VarnelError {
public:
    explicit MinimumNotReached(double tSquared);
    double TSquared() const { return tSquared_; }

private:
    double tSquared_;
};

/// "The strain could not be estimated: the minimisation ended at T² = 2.71, not at its minimum
/// 0.": T² with 3 significant digits, "NAN" for a NaN.
std::string MinimumNotReachedText(double tSquared, char decimalSeparator);

/// Where the minimisation ended at `estimate` with T² = `tSquared` above kCertifiedTSquared:
/// solves for the strain at which the mean pre vector vanishes (FindMeanPreVectorRoot) from the
/// estimate, then from the mean post vector, then from the origin, and stores the first root
/// whose T² is at most kCertifiedTSquared and whose pre vectors RefuseUndeterminedEstimate passes,
/// with its pre-strain data in the state. Where none does, it leaves the pre-strain data of
/// `estimate`, refuses them as RefuseUndeterminedEstimate does, or throws MinimumNotReached.
void FinishEstimate(AnalysisState& state, StrainVector estimate, double tSquared);

/// The estimation of the Open command: post vectors, then InitialStrainGuess and MinimizeStrain
/// of the fast path of the objective (FastObjective); one reference evaluation at the estimate
/// leaves the pre-strain data of x_s in the state; where T² there exceeds kCertifiedTSquared
/// (N ≥ 3), FinishEstimate takes over; otherwise RefuseUndeterminedEstimate judges them and the
/// post vectors and StoreEstimate stores x_s.
void EstimateStrain(AnalysisState& state, ProgressSink* progress);

}  // namespace varnel
