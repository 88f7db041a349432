#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "methods/hyperboloid.h"
#include "methods/methods.h"

namespace varnel::methods {

/// The level of a confidence level in percent: 39, 50 or 95.
int LevelPercentOf(ConfidenceLevel level);

/// Resamples each tail beyond a percentile interval must hold at least, so that its ends are
/// order statistics of the resamples and not their extremes.
inline constexpr int kFewestTailResamples = 10;

/// The fewest resamples of a bootstrap at `levelPercent`: B · (100 − level) / 200 ≥
/// kFewestTailResamples, so each tail holds at least that many (400 at 95 %, 40 at 50 %,
/// 33 at 39 %).
int FewestResamples(int levelPercent);

/// The most resamples a bootstrap takes.
inline constexpr int kMostResamples = 1000000;

/// True when more than 1 % of B resamples failed: an interval over the rest would describe the
/// resamples that happen to work, not the data.
bool TooManyFailed(int failed, int B);

/// What an estimator shows instead of its intervals: "not estimated: K of B resamples failed".
std::string NotEstimatedText(int failed, int B);

/// Indices 0 … N − 1 of the data in resample b of `seed`: N draws RandomStream::Below(N) from
/// stream b, in order, N being the size of `indices`.
void DrawResampleIndices(std::uint32_t seed, int b, std::vector<std::uint32_t>& indices);

/// DrawResampleIndices into a new vector of N indices.
std::vector<std::uint32_t> ResampleIndices(int N, std::uint32_t seed, int b);

/// Central interval holding `levelPercent` % of the values: their quantiles at
/// q = (1 ∓ level) / 2, each interpolated linearly between order statistics at (n − 1) q
/// (Hyndman & Fan's type 7). NaN ends for no values.
Interval PercentileInterval(std::vector<double> values, int levelPercent);

/// One resample's estimates, each estimator's on its own with its scale: nothing where it failed.
struct ResampleEstimates {
    std::optional<StrainVector> t2;
    std::optional<HyperbolicMean> hyperbolicMean;
    std::optional<Covariance2> t2Scale, hyperbolicMeanScale;
};

/// The T² estimate and the hyperbolic mean of the shape points `sample`, each with its own
/// scale (methods/studentised.h). An estimator fails alone when it finds no estimate, throws
/// (any std::exception but std::bad_alloc, which is passed on), gives a value that is not finite
/// or a singular scale.
ResampleEstimates EstimatesOf(const std::vector<ShapePoint>& sample);

/// The intervals and region of `estimator` at `levelPercent` from its pivots, or none of them
/// when more than 1 % of the B resamples failed it or its data's scale is singular. RunBootstrap
/// gives them at its level; another level needs no new resamples.
void StateAtLevel(EstimatorBootstrap& estimator, int B, int levelPercent);

}  // namespace varnel::methods
