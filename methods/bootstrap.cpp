#include "methods/bootstrap.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <thread>

#include "core/messages.h"
#include "core/varnel_error.h"
#include "core/worker_pool.h"
#include "methods/estimators.h"
#include "methods/random_stream.h"

namespace varnel::methods {

namespace {

constexpr const char* kNoResamplesMessage = "The bootstrap needs at least one resample.";

std::vector<ShapePoint> ObservedShapePoints(const AnalysisState& state) {
    std::vector<ShapePoint> points;
    for (int k = 1; k <= state.DataCount; ++k) {
        points.push_back(ShapePointOf(state.RPost[k], state.PhiPost[k]));
    }
    return points;
}

// Ratio and orientation of each successful resample, the orientation relative to the estimate
// of the data and wrapped into ±90°, so that a turn across ±90° does not split the interval.
struct Samples {
    std::vector<double> R, relativePhi;
    void Add(double ratio, double phiDegrees, double referenceDegrees) {
        R.push_back(ratio);
        relativePhi.push_back(ReduceOrientation(phiDegrees - referenceDegrees));
    }
    BootstrapIntervals Intervals(double referenceDegrees, int levelPercent) const {
        BootstrapIntervals intervals;
        intervals.R = PercentileInterval(R, levelPercent);
        const Interval phi = PercentileInterval(relativePhi, levelPercent);
        intervals.phiDegrees = {referenceDegrees + phi.lo, referenceDegrees + phi.hi};
        return intervals;
    }
};

double DegreesOf(StrainVector x) { return 0.5 * std::atan2(x.x2, x.x1) * 180.0 / std::numbers::pi; }

BootstrapResult Summarise(const std::vector<ResampleEstimates>& estimates, double t2Phi,
                          double meanPhi, int levelPercent) {
    Samples t2, mean;
    BootstrapResult result;
    for (const ResampleEstimates& e : estimates) {
        if (!e.ok) {
            ++result.failed;
            continue;
        }
        t2.Add(std::exp(std::hypot(e.t2.x1, e.t2.x2)), DegreesOf(e.t2), t2Phi);
        mean.Add(e.hyperbolicMean.R, e.hyperbolicMean.phiDegrees, meanPhi);
    }
    result.t2 = t2.Intervals(t2Phi, levelPercent);
    result.hyperbolicMean = mean.Intervals(meanPhi, levelPercent);
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
    const double nan = std::numeric_limits<double>::quiet_NaN();
    if (values.empty()) return {nan, nan};
    std::sort(values.begin(), values.end());
    const auto quantile = [&values](double q) {
        const double h = double(values.size() - 1) * q;
        const std::size_t below = std::size_t(std::floor(h));
        if (below + 1 >= values.size()) return values.back();
        return values[below] + (h - double(below)) * (values[below + 1] - values[below]);
    };
    const double tail = (1.0 - levelPercent / 100.0) / 2.0;
    return {quantile(tail), quantile(1.0 - tail)};
}

ResampleEstimates EstimatesOf(const std::vector<ShapePoint>& sample) {
    ResampleEstimates estimates;
    estimates.hyperbolicMean = HyperbolicMeanOf(sample);
    const std::optional<StrainVector> t2 = T2EstimateOf(sample, VectorOf(estimates.hyperbolicMean));
    estimates.ok = t2.has_value();
    if (t2) estimates.t2 = *t2;
    return estimates;
}

std::optional<BootstrapResult> RunBootstrap(const AnalysisState& state, int B, std::uint32_t seed,
                                            ConfidenceLevel level, ProgressSink* progress,
                                            const std::atomic<bool>* cancel) {
    if (state.DataCount < 3) throw VarnelError(kTooFewDataMessage);
    if (B < 1) throw VarnelError(kNoResamplesMessage);
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
            estimates[std::size_t(b)] = EstimatesOf(sample);
            const int done = finished.fetch_add(1) + 1;
            // The sink hears only from the calling thread, which may be a window's.
            if (progress && std::this_thread::get_id() == caller) progress->SetPosition(done);
        }
    });
    if (finished.load() < B) return std::nullopt;
    if (progress) progress->SetPosition(B);
    BootstrapResult result = Summarise(estimates, ReduceOrientation(EstimatedPhiDegrees(state)),
                                       HyperbolicMeanOf(points).phiDegrees, LevelPercentOf(level));
    result.B = B;
    result.seed = seed;
    result.levelPercent = LevelPercentOf(level);
    return result;
}

}  // namespace varnel::methods
