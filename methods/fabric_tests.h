#pragma once

#include <cstdint>
#include <vector>

#include "methods/methods.h"

namespace varnel::methods {

/// Reflected sets that the p value of the symmetry index compares with the observed set.
inline constexpr int kReflectedSets = 9999;

/// Test of no strain from T₀, the T² of the data at zero strain: H = T₀ / (1 − T₀ / (N − 1)),
/// F = (N − 2) H / (2 (N − 1)), p = the upper tail of F(2, N − 2) at F. Needs N ≥ 3.
NoStrainTest NoStrainTestOf(double tSquaredAtZero, int N);

/// Orientations in degrees, in [−90°, 90°), of the ellipses retro-deformed by `strain`, measured
/// from the strain's long axis. Throws VarnelError where the superposition faults.
std::vector<double> RetroDeformedOffsets(const std::vector<Ellipse>& ellipses,
                                         StrainLocation strain);

/// χ² test of uniform offsets θ_i in [−90°, 90°): k = 18 classes of 10° when N ≥ 90, otherwise
/// k = max(3, ⌊N / 5⌋) equal classes; χ² = Σ (O_j − N/k)² / (N/k), p = upper tail of χ²(k − 1).
SymmetryChi2 SymmetryChi2Of(const std::vector<double>& offsetsDegrees);

/// The symmetry index about the vector mean φ̄ with the harmonic mean H splitting the ratios:
/// with d_i = φ_i − φ̄ in [−90°, 90°), A = #(d ≤ 0, R ≥ H), B = #(d > 0, R ≥ H),
/// C = #(d ≤ 0, R < H), D = #(d > 0, R < H): I_sym = 1 − (|A − B| + |C − D|) / N.
/// p = (1 + #{reflected sets with I_sym ≤ the observed}) / (1 + kReflectedSets); reflected set j
/// flips each d_i to −d_i where bit i mod 64 of its ⌊i / 64⌋-th draw from stream
/// kReflectionStreams + j of `seed` is 1, and is then measured about its own vector mean.
SymmetryIndex SymmetryIndexOf(const std::vector<Ellipse>& ellipses, std::uint32_t seed);

}  // namespace varnel::methods
