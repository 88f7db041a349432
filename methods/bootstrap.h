#pragma once

#include <cstdint>
#include <vector>

#include "methods/hyperboloid.h"
#include "methods/methods.h"

namespace varnel::methods {

/// The level of a confidence level in percent: 39, 50 or 95.
int LevelPercentOf(ConfidenceLevel level);

/// Indices 0 … N − 1 of the data in resample b of `seed`: N draws RandomStream::Below(N) from
/// stream b, in order, N being the size of `indices`.
void DrawResampleIndices(std::uint32_t seed, int b, std::vector<std::uint32_t>& indices);

/// DrawResampleIndices into a new vector of N indices.
std::vector<std::uint32_t> ResampleIndices(int N, std::uint32_t seed, int b);

/// Central interval holding `levelPercent` % of the values: their quantiles at
/// q = (1 ∓ level) / 2, each interpolated linearly between order statistics at (n − 1) q
/// (Hyndman & Fan's type 7). NaN ends for no values.
Interval PercentileInterval(std::vector<double> values, int levelPercent);

/// One resample's two estimates, or ok = false when its T² estimate does not exist.
struct ResampleEstimates {
    bool ok = false;
    StrainVector t2;
    HyperbolicMean hyperbolicMean;
};

/// The T² estimate and the hyperbolic mean of the shape points `sample`.
ResampleEstimates EstimatesOf(const std::vector<ShapePoint>& sample);

}  // namespace varnel::methods
