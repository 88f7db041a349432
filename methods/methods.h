#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/analysis_state.h"
#include "core/estimation.h"  // ProgressSink

namespace varnel::methods {

/// A location estimate of the strain: the strain ellipse's ratio and orientation in degrees, in
/// (−90°, 90°].
using StrainLocation = EllipseInDegrees;

/// The hyperbolic mean (the mean of the unit-area shape matrices) and its concentration κ.
struct HyperbolicMean {
    double R = 1.0;
    double phiDegrees = 0.0;
    double kappa = 0.0;
};

/// The Rf/φ bounds: extreme ratios, the fluctuation of the orientations (degrees) and the
/// strain ratio Rs and initial ratio Ri that they give.
struct RfMaxMin {
    double rfMax = 1.0, rfMin = 1.0, fluctuationDegrees = 0.0;
    std::string caseName;  // "Ri<Rs" or "Ri>Rs"
    double Rs = 1.0, Ri = 1.0;
};

/// Test of the hypothesis of no strain: F on (2, N − 2) degrees of freedom and its upper tail.
struct NoStrainTest {
    double F = 0.0;
    double p = 1.0;
};

/// The p value below which a fabric test rejects its hypothesis: the verdicts of the Methods
/// window and of `varnel-cli --methods` alike.
inline constexpr double kSignificanceLevel = 0.05;

/// χ² test of uniform orientations of the retro-deformed ellipses about the strain axis; p from
/// simulated sets (SymmetryTestsOf in methods/fabric_tests.h), not from the χ²(k − 1) law, which
/// the estimate's two degrees of freedom make too conservative.
struct SymmetryChi2 {
    double chi2 = 0.0;
    int classes = 0;
    double p = 1.0;
};

/// Symmetry index of the Rf/φ distribution about its vector mean; p from the same simulated sets.
struct SymmetryIndex {
    double Isym = 0.0;
    double p = 1.0;
};

/// The simulated sets of both symmetry tests: how many were drawn and how many of them had no
/// T² estimate (skipped; beyond 1 % of them both p values are NaN).
struct SymmetryNull {
    int sets = 0;
    int failed = 0;
};

/// Everything the Methods window and `varnel-cli --methods` show for one data set.
struct MethodsResult {
    StrainLocation t2;  // the program's own estimate (R_s, φ_s)
    HyperbolicMean hyperbolicMean;
    StrainLocation harmonicMean;
    RfMaxMin rfMaxMin;
    NoStrainTest noStrain;
    SymmetryChi2 symmetryChi2;
    SymmetryIndex symmetryIndex;
    SymmetryNull symmetryNull;
};

/// Seed of the generator whose streams draw the simulated sets of the symmetry tests (fixed, so
/// that the p values of a data set never change).
inline constexpr std::uint32_t kSymmetryNullSeed = 1;

/// The observed ellipses 1 … DataCount of the state (RPost, PhiPost converted to degrees).
std::vector<EllipseInDegrees> ObservedEllipses(const AnalysisState& state);

/// Estimators and fabric tests of an analysed state (EstimateStrain has run; N ≥ 3). Writes
/// nothing to the state: its T² evaluation fills buffers of its own. Throws VarnelError on
/// failure. The simulated sets of the symmetry tests draw from kSymmetryNullSeed, so repeated
/// calls agree.
MethodsResult ComputeMethods(const AnalysisState& state);

/// An interval of one quantity (NaN ends where it is undefined).
struct Interval {
    double lo = 0.0;
    double hi = 0.0;
};

/// Marginal intervals of the ratio and of the orientation (degrees) of one estimator.
struct BootstrapIntervals {
    Interval R;
    Interval phiDegrees;
};

/// A symmetric 2 × 2 covariance of an estimate, in the frame where the estimate is the circle
/// (its pre-strain space).
struct Covariance2 {
    double c11 = 0.0, c12 = 0.0, c22 = 0.0;
};

/// Studentised distances of one resample's estimate from the data's (methods/studentised.h).
struct ResamplePivots {
    StrainVector z;       // C*^(−1/2) δ: the studentised error of the resample's estimate
    double region = 0.0;  // |z|² = δᵀ C*⁻¹ δ
};

/// The bootstrap's confidence region of one estimator: the analytic region's ellipse about the
/// estimate in its pre-strain space, vᵀ C⁻¹ v ≤ quantile, carried forward by the estimate.
struct BootstrapRegion {
    StrainVector centre;  // the data's estimate
    Covariance2 scale;    // C of the data
    double quantile = 0.0;
    std::array<StrainVector, kRegionPoints> points{};  // log-strain vectors, t = 5°, 10°, … 360°
    bool holdsZeroStrain = false;
    Interval R;           // from 1 when the region holds zero strain
    Interval phiDegrees;  // NaN ends when the region holds zero strain
};

/// Everything a bootstrap states about one estimator at one level.
struct BootstrapStatements {
    BootstrapIntervals intervals;  // marginal, one quantity at a time
    BootstrapRegion region;        // joint
};

/// One estimator over the resamples of a bootstrap.
struct EstimatorBootstrap {
    /// Its estimates of the resamples it succeeded on, in resample order.
    std::vector<StrainLocation> estimates;
    /// Studentised distances of the same resamples from the data's estimate.
    std::vector<ResamplePivots> pivots;
    /// The data's estimate as a log-strain vector and its scale; none where the scale is
    /// singular.
    StrainVector centre;
    std::optional<Covariance2> scale;
    /// Resamples it failed on: no estimate (a singular moment matrix, no convergence), an error
    /// of its computation, a value that is not finite, or a singular scale.
    int failed = 0;
    /// Marginal bootstrap-t intervals of R and φ at the level; none when more than 1 % of the
    /// resamples failed.
    std::optional<BootstrapIntervals> intervals;
    /// The region at the level and its ranges; present with `intervals`.
    std::optional<BootstrapRegion> region;
};

/// Result of RunBootstrap.
struct BootstrapResult {
    int B = 0;
    std::uint32_t seed = 1;
    int levelPercent = 95;  // 39, 50 or 95
    EstimatorBootstrap t2;
    EstimatorBootstrap hyperbolicMean;
};

/// B resamples with replacement of the observed ellipses; each gives its T² estimate and its
/// hyperbolic mean, each estimator keeping the resamples it succeeded on. Reports progress
/// (maximum B, position per finished resample) and stops early when `cancel` becomes true (then
/// returns std::nullopt). Uses both cores.
/// Resample b takes its N indices from stream b of `seed` (methods/random_stream.h): the same
/// indices on every machine, and the same results on any number of threads. Its T² estimate is
/// the strain where T² vanishes, the point the Open command's minimisation closes in on (they
/// agree to rounding), reached by Newton steps (T2EstimateOf) instead of thousands of simplex
/// evaluations; with it each estimator gives its own scale. The region and the intervals come
/// from the studentised errors of an estimator's successes (methods/studentised.h), given only
/// when at most 1 % of the resamples failed it; φ is taken relative to the data's own estimate
/// and may reach beyond ±90°. The sink hears only from the calling thread. Throws VarnelError
/// for N < 3 or B below FewestResamples (methods/bootstrap.h), and std::bad_alloc when memory
/// runs out.
std::optional<BootstrapResult> RunBootstrap(const AnalysisState& state, int B, std::uint32_t seed,
                                            ConfidenceLevel level, ProgressSink* progress,
                                            const std::atomic<bool>* cancel);

}  // namespace varnel::methods
