#pragma once

#include <cstdint>
#include <vector>

#include "methods/methods.h"

namespace varnel::methods {

/// Test of no strain from T₀, the T² of the data at zero strain: H = T₀ / (1 − T₀ / (N − 1)),
/// F = (N − 2) H / (2 (N − 1)), p = the upper tail of F(2, N − 2) at F. Needs N ≥ 3.
NoStrainTest NoStrainTestOf(double tSquaredAtZero, int N);

/// The ellipses retro-deformed by `strain`: their ratios, and their orientations in degrees, in
/// [−90°, 90°), measured from the strain's long axis. Throws VarnelError where the superposition
/// faults.
std::vector<EllipseInDegrees> RetroDeformedEllipses(const std::vector<EllipseInDegrees>& ellipses,
                                                    StrainLocation strain);

/// The orientations of RetroDeformedEllipses alone.
std::vector<double> RetroDeformedOffsets(const std::vector<EllipseInDegrees>& ellipses,
                                         StrainLocation strain);

/// Classes of the symmetry χ² for N offsets: 18 of 10° when N ≥ 90, otherwise max(3, ⌊N / 5⌋).
int SymmetryClassesFor(int N);

/// Σ O_j² of the counts O_j of offsets (degrees, reduced into [−90°, 90°)) in k equal classes of
/// [−90°, 90°), each holding its lower bound. χ² = k Σ O_j² / N − N, so sets of one size order
/// by this integer exactly.
std::int64_t SquaredClassCounts(const std::vector<double>& offsetsDegrees, int classes);

/// χ² of uniform offsets θ_i in [−90°, 90°) over SymmetryClassesFor(N) classes:
/// χ² = Σ (O_j − N/k)² / (N/k). Its p is left at 1: SymmetryTestsOf gives it.
SymmetryChi2 SymmetryChi2Of(const std::vector<double>& offsetsDegrees);

/// |A − B| + |C − D| about the vector mean φ̄ with the harmonic mean H splitting the ratios:
/// with d_i = φ_i − φ̄ in [−90°, 90°), A = #(d ≤ 0, R ≥ H), B = #(d > 0, R ≥ H),
/// C = #(d ≤ 0, R < H), D = #(d > 0, R < H). The symmetry index is I_sym = 1 − this / N.
int ImbalanceOf(const std::vector<EllipseInDegrees>& ellipses);

/// Simulated sets behind the p values of both symmetry tests, for small and middling sets.
inline constexpr int kSymmetryNullSets = 999;

/// Simulated sets M for N data: the largest of 999, 499, 199 with (M + 1) N ≤ 10⁶, else 99, so
/// that the tests stay under a second at 10000 data. Every M + 1 is a multiple of 20: a Monte
/// Carlo test then rejects with probability exactly 5 % at the 5 % level.
int SymmetryNullSetsFor(int N);

/// Both symmetry tests of the observed `ellipses` at the T² estimate `strain`, and their null.
struct SymmetryTests {
    SymmetryChi2 chi2;
    SymmetryIndex index;
    SymmetryNull null;
};

/// The symmetry χ² of the retro-deformed offsets and the symmetry index of the ellipses, with p
/// values from a parametric null: simulated set j keeps the retro-deformed ratios R_i (ln R_i
/// shrunk by half the variance of the mean pre vector, see fabric_tests.cpp), gives them
/// orientations θ_i uniform on [−90°, 90°) about the strain axis (from stream
/// kSymmetryNullStreams + 1 + j of `seed`), strains them by `strain`, re-estimates the strain
/// (T2EstimateOf) and measures both statistics as for the data. With ties broken by one draw u
/// per set (u_0 from stream kSymmetryNullStreams for the data):
///   p = (1 + #{T_j > T} + #{T_j = T, u_j < u_0}) / (1 + M),
/// T the statistic (Σ O², imbalance), M the simulated sets whose estimate did not fail. When more
/// than 1 % of the `sets` fail, both p are NaN. Same answer on any number of threads.
SymmetryTests SymmetryTestsOf(const std::vector<EllipseInDegrees>& ellipses, StrainLocation strain,
                              std::uint32_t seed, int sets = kSymmetryNullSets);

}  // namespace varnel::methods
