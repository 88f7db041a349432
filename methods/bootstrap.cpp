#include "methods/bootstrap.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <numbers>
#include <thread>

#include "core/messages.h"
#include "core/orientation.h"
#include "core/varnel_error.h"
#include "core/worker_pool.h"
#include "methods/estimators.h"
#include "methods/random_stream.h"
#include "methods/studentised.h"

namespace varnel::methods {

namespace {

constexpr int kMostFailedResamplesPercent = 1;

std::vector<ShapePoint> ObservedShapePoints(const AnalysisState& state) {
    std::vector<ShapePoint> points;
    for (int k = 1; k <= state.DataCount; ++k) {
        points.push_back(ShapePointOf(state.RPost[k], state.PhiPost[k]));
    }
    return points;
}

// What `estimate` gives, or nothing where it throws. Running out of memory is no property of the
// resample: it ends the bootstrap.
template <typename Estimate>
auto Attempt(Estimate estimate) -> std::optional<decltype(estimate())> {
    try {
        return estimate();
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

// Ratio, orientation and pivots of each resample an estimator succeeded on, in resample order.
template <typename Location>
EstimatorBootstrap Gather(const std::vector<ResampleEstimates>& resamples, StrainVector centre,
                          Location location) {
    EstimatorBootstrap estimator;
    estimator.centre = centre;
    for (const ResampleEstimates& resample : resamples) {
        const auto estimate = location(resample);
        if (!estimate) {
            ++estimator.failed;
            continue;
        }
        const auto& [x, scale] = *estimate;
        estimator.estimates.push_back({std::exp(std::hypot(x.x1, x.x2)), OrientationDegreesOf(x)});
        estimator.pivots.push_back(PivotsOf(x, scale, centre));
    }
    return estimator;
}

using Scaled = std::optional<std::pair<StrainVector, Covariance2>>;

BootstrapResult Summarise(const std::vector<ResampleEstimates>& resamples,
                          const std::vector<ShapePoint>& points, StrainVector t2Centre,
                          int levelPercent) {
    BootstrapResult result;
    result.B = int(resamples.size());
    result.levelPercent = levelPercent;
    result.t2 = Gather(resamples, t2Centre, [](const ResampleEstimates& r) -> Scaled {
        if (!r.t2 || !r.t2Scale) return std::nullopt;
        return std::pair{*r.t2, *r.t2Scale};
    });
    const StrainVector meanCentre = VectorOf(HyperbolicMeanOf(points));
    result.hyperbolicMean = Gather(resamples, meanCentre, [](const ResampleEstimates& r) -> Scaled {
        if (!r.hyperbolicMean || !r.hyperbolicMeanScale) return std::nullopt;
        return std::pair{VectorOf(*r.hyperbolicMean), *r.hyperbolicMeanScale};
    });
    result.t2.scale = T2ScaleOf(points, t2Centre);
    result.hyperbolicMean.scale = HyperbolicMeanScaleOf(points, meanCentre);
    StateAtLevel(result.t2, result.B, levelPercent);
    StateAtLevel(result.hyperbolicMean, result.B, levelPercent);
    return result;
}

}  // namespace

int LevelPercentOf(ConfidenceLevel level) {
    switch (level) {
        case ConfidenceLevel::Level39:
            return 39;
        case ConfidenceLevel::Level50:
            return 50;
        case ConfidenceLevel::Level95:
            break;
    }
    return 95;
}

void DrawResampleIndices(std::uint32_t seed, int b, std::vector<std::uint32_t>& indices) {
    RandomStream random(seed, std::uint32_t(b));
    for (std::uint32_t& index : indices) index = random.Below(std::uint32_t(indices.size()));
}

std::vector<std::uint32_t> ResampleIndices(int N, std::uint32_t seed, int b) {
    std::vector<std::uint32_t> indices(static_cast<std::size_t>(N));
    DrawResampleIndices(seed, b, indices);
    return indices;
}

Interval PercentileInterval(std::vector<double> values, int levelPercent) {
    const double tail = (1.0 - levelPercent / 100.0) / 2.0;
    return {Quantile(values, tail), Quantile(values, 1.0 - tail)};
}

int FewestResamples(int levelPercent) {
    // B · q ≥ k with the tail share q = (100 − level) / 200, in integers: B ≥ ⌈200 k / (100 −
    // level)⌉.
    const int tailTimes200 = 100 - levelPercent;
    return (200 * kFewestTailResamples + tailTimes200 - 1) / tailTimes200;
}

bool TooManyFailed(int failed, int B) {
    return std::int64_t(failed) * 100 > std::int64_t(B) * kMostFailedResamplesPercent;
}

std::string NotEstimatedText(int failed, int B) {
    return "not estimated: " + std::to_string(failed) + " of " + std::to_string(B) +
           " resamples failed";
}

ResampleEstimates EstimatesOf(const std::vector<ShapePoint>& sample) {
    ResampleEstimates estimates;
    estimates.hyperbolicMean = Attempt([&] { return HyperbolicMeanOf(sample); });
    if (estimates.hyperbolicMean && !(std::isfinite(estimates.hyperbolicMean->R) &&
                                      std::isfinite(estimates.hyperbolicMean->phiDegrees))) {
        estimates.hyperbolicMean.reset();
    }
    const StrainVector start =
        estimates.hyperbolicMean ? VectorOf(*estimates.hyperbolicMean) : StrainVector{0.0, 0.0};
    estimates.t2 = Attempt([&] { return T2EstimateOf(sample, start); }).value_or(std::nullopt);
    if (estimates.t2 && !(std::isfinite(estimates.t2->x1) && std::isfinite(estimates.t2->x2))) {
        estimates.t2.reset();
    }
    if (estimates.t2) estimates.t2Scale = T2ScaleOf(sample, *estimates.t2);
    if (estimates.hyperbolicMean) {
        estimates.hyperbolicMeanScale = HyperbolicMeanScaleOf(sample, start);
    }
    return estimates;
}

void StateAtLevel(EstimatorBootstrap& estimator, int B, int levelPercent) {
    estimator.intervals.reset();
    estimator.region.reset();
    if (TooManyFailed(estimator.failed, B) || !estimator.scale) return;
    const BootstrapStatements statements =
        StatementsOf(estimator.pivots, estimator.centre, *estimator.scale, levelPercent);
    estimator.intervals = statements.intervals;
    estimator.region = statements.region;
}

std::optional<BootstrapResult> RunBootstrap(const AnalysisState& state, int B, std::uint32_t seed,
                                            ConfidenceLevel level, ProgressSink* progress,
                                            const std::atomic<bool>* cancel) {
    if (state.DataCount < 3) throw VarnelError(kTooFewDataMessage);
    const int levelPercent = LevelPercentOf(level);
    if (B < FewestResamples(levelPercent)) {
        throw VarnelError("The bootstrap needs at least " +
                          std::to_string(FewestResamples(levelPercent)) + " resamples at the " +
                          std::to_string(levelPercent) + " % level.");
    }
    const std::vector<ShapePoint> points = ObservedShapePoints(state);
    const int parts = ParallelWidth();
    std::vector<std::vector<ShapePoint>> samples(std::size_t(parts), points);
    std::vector<std::vector<std::uint32_t>> indices(std::size_t(parts),
                                                    std::vector<std::uint32_t>(points.size()));
    std::vector<ResampleEstimates> estimates(static_cast<std::size_t>(B));
    std::atomic<int> next{0}, finished{0};
    const std::thread::id caller = std::this_thread::get_id();
    if (progress) progress->SetMaximum(B);
    RunInParallel(parts, [&](int part) {
        std::vector<ShapePoint>& sample = samples[std::size_t(part)];
        for (int b; (b = next.fetch_add(1)) < B;) {
            if (cancel && cancel->load()) return;
            std::vector<std::uint32_t>& drawn = indices[std::size_t(part)];
            DrawResampleIndices(seed, b, drawn);
            for (std::size_t i = 0; i < drawn.size(); ++i) sample[i] = points[drawn[i]];
            try {
                estimates[std::size_t(b)] = EstimatesOf(sample);
            } catch (...) {
                next.store(B);  // the other parts stop; the pool hands the error to the caller
                throw;
            }
            const int done = finished.fetch_add(1) + 1;
            // The sink hears only from the calling thread, which may be a window's.
            if (progress && std::this_thread::get_id() == caller) progress->SetPosition(done);
        }
    });
    if (finished.load() < B) return std::nullopt;
    if (progress) progress->SetPosition(B);
    // The centre of the T² statements: the Open command's estimate, polished by Newton steps to
    // the zero of the mean pre vector the pivots assume.
    const StrainVector t2Centre =
        T2EstimateOf(points, state.StrainEstimate).value_or(state.StrainEstimate);
    BootstrapResult result = Summarise(estimates, points, t2Centre, levelPercent);
    result.seed = seed;
    return result;
}

}  // namespace varnel::methods
