#include "methods/fabric_tests.h"

#include <algorithm>
#include <atomic>
#include <boost/math/distributions/fisher_f.hpp>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <numbers>

#include "core/orientation.h"
#include "core/strain_vector.h"
#include "core/worker_pool.h"
#include "methods/bootstrap.h"
#include "methods/estimators.h"
#include "methods/hyperboloid.h"
#include "methods/random_stream.h"

namespace varnel::methods {

namespace {

constexpr int kClassesForMany = 18;
constexpr int kManyData = 90;

// One simulated set's statistics, in the order of the tests (larger is more asymmetric), and its
// tie-breaking draw.
struct NullSet {
    bool estimated = false;
    std::int64_t squares = 0;
    int imbalance = 0;
    std::uint64_t tie = 0;
};

// Orientation of a shape point in degrees: φ = ½ atan2(w2, w1).
double DegreesOf(ShapePoint p) { return 0.5 * std::atan2(p.w2, p.w1) / kDegree; }

// Scratch of one thread: the simulated set's points, its offsets and its ellipses.
struct NullScratch {
    std::vector<ShapePoint> points;
    std::vector<double> offsets;
    std::vector<EllipseInDegrees> ellipses;
};

// Simulated set j: pre ellipses (R_i, φ_s + θ_i), θ_i = π (u_i − ½) with u_i from 53 random
// bits, strained by x_s; then both statistics at the set's own estimate.
NullSet SimulatedSet(const std::vector<EllipseInDegrees>& pre, StrainVector xs, std::uint32_t seed,
                     int j, int classes, NullScratch& scratch) {
    RandomStream random(seed, kSymmetryNullStreams + 1 + std::uint32_t(j));
    NullSet set;
    set.tie = random.Next();
    const double axis = 0.5 * std::atan2(xs.x2, xs.x1);
    for (std::size_t i = 0; i < pre.size(); ++i) {
        const double theta = std::numbers::pi * (double(random.Next() >> 11) * 0x1p-53 - 0.5);
        scratch.points[i] = ApplyStrain(xs, ShapePointOf(pre[i].R, axis + theta));
    }
    const std::optional<StrainVector> estimate = T2EstimateOf(scratch.points, xs);
    if (!estimate || !std::isfinite(estimate->x1) || !std::isfinite(estimate->x2)) return set;
    const double estimateDegrees = 0.5 * std::atan2(estimate->x2, estimate->x1) / kDegree;
    for (std::size_t i = 0; i < pre.size(); ++i) {
        const ShapePoint post = scratch.points[i];
        scratch.offsets[i] = DegreesOf(RemoveStrain(*estimate, post)) - estimateDegrees;
        // R = e^ρ = cosh ρ + sinh ρ.
        scratch.ellipses[i] = {post.t + std::hypot(post.w1, post.w2), DegreesOf(post)};
    }
    set.estimated = true;
    set.squares = SquaredClassCounts(scratch.offsets, classes);
    set.imbalance = ImbalanceOf(scratch.ellipses);
    return set;
}

// All simulated sets on all cores; each set draws from its own stream into its own slot, so the
// result does not depend on the threads.
std::vector<NullSet> SimulatedSets(const std::vector<EllipseInDegrees>& pre, StrainVector xs,
                                   std::uint32_t seed, int sets, int classes) {
    std::vector<NullSet> results(std::size_t(std::max(sets, 0)));
    const int parts = ParallelWidth();
    std::vector<NullScratch> scratch(
        std::size_t(parts), {std::vector<ShapePoint>(pre.size()), std::vector<double>(pre.size()),
                             std::vector<EllipseInDegrees>(pre.size())});
    std::atomic<int> next{0};
    RunInParallel(parts, [&](int part) {
        for (int j; (j = next.fetch_add(1)) < sets;) {
            results[std::size_t(j)] =
                SimulatedSet(pre, xs, seed, j, classes, scratch[std::size_t(part)]);
        }
    });
    return results;
}

// Monte Carlo p with random tie-breaking: (1 + #{T_j > T} + #{T_j = T, u_j < u_0}) / (1 + M).
template <typename Statistic>
double MonteCarloP(const std::vector<NullSet>& sets, const NullSet& observed, Statistic statistic) {
    int beyond = 1, estimated = 0;
    for (const NullSet& set : sets) {
        if (!set.estimated) continue;
        ++estimated;
        const auto t = statistic(set), t0 = statistic(observed);
        beyond += t > t0 || (t == t0 && set.tie < observed.tie);
    }
    return double(beyond) / double(1 + estimated);
}

// The ratios the simulated sets start from. The retro-deformed ratios have been moved once by
// the estimate's error, and a simulated set moves them once more; near-circles, whose
// orientations that error turns together, would then be fewer in the simulated sets than in
// the data, and the χ² test too liberal (sizes to .076 at 5 %). Half the variance of the mean
// pre vector, s² = Σ (ln R_j)² / (N (N − 1)), is taken out of each (ln R_i)²: measured sizes
// at 5 % were .040–.060 with half, .036–.047 with all of it taken out.
std::vector<EllipseInDegrees> RatiosForNull(std::vector<EllipseInDegrees> pre) {
    const double n = double(pre.size());
    double squares = 0.0;
    for (const EllipseInDegrees& e : pre) squares += std::log(e.R) * std::log(e.R);
    const double spread = 0.5 * squares / (n * (n - 1.0));
    for (EllipseInDegrees& e : pre) {
        const double rho = std::log(e.R);
        e.R = std::exp(std::sqrt(std::max(rho * rho - spread, 0.0)));
    }
    return pre;
}

}  // namespace

NoStrainTest NoStrainTestOf(double tSquaredAtZero, int N) {
    const long double T0 = std::max(tSquaredAtZero, 0.0), n = N;
    // T² = H / (1 + H / (N − 1)) inverted; T₀ reaches N − 1 only as H grows without bound.
    const long double H = T0 < n - 1 ? T0 / (1 - T0 / (n - 1)) : INFINITY;
    NoStrainTest test;
    test.F = double((n - 2) * H / (2 * (n - 1)));
    if (!std::isfinite(test.F)) {
        test.p = 0.0;
        return test;
    }
    const boost::math::fisher_f distribution(2.0, double(N - 2));
    test.p = boost::math::cdf(boost::math::complement(distribution, test.F));
    return test;
}

std::vector<EllipseInDegrees> RetroDeformedEllipses(const std::vector<EllipseInDegrees>& ellipses,
                                                    StrainLocation strain) {
    std::vector<EllipseInDegrees> pre;
    pre.reserve(ellipses.size());
    const double inverseRatio = 1.0 / strain.R;
    for (const EllipseInDegrees& e : ellipses) {
        // Remove the strain along its long axis; θ′ is measured from that axis.
        const varnel::Ellipse p =
            SuperposeStrain(inverseRatio, e.R, (e.phiDegrees - strain.phiDegrees) * kDegree);
        pre.push_back({p.R, ReduceOffset(p.phi / kDegree)});
    }
    return pre;
}

std::vector<double> RetroDeformedOffsets(const std::vector<EllipseInDegrees>& ellipses,
                                         StrainLocation strain) {
    std::vector<double> offsets;
    for (const EllipseInDegrees& e : RetroDeformedEllipses(ellipses, strain))
        offsets.push_back(e.phiDegrees);
    return offsets;
}

int SymmetryNullSetsFor(int N) {
    constexpr long long kMostSimulatedEllipses = 1000000;
    for (int sets : {kSymmetryNullSets, 499, 199}) {
        if ((sets + 1LL) * N <= kMostSimulatedEllipses) return sets;
    }
    return 99;
}

int SymmetryClassesFor(int N) { return N >= kManyData ? kClassesForMany : std::max(3, N / 5); }

std::int64_t SquaredClassCounts(const std::vector<double>& offsetsDegrees, int classes) {
    std::vector<std::int64_t> counts(std::size_t(classes), 0);
    const double width = 180.0 / classes;
    for (double theta : offsetsDegrees) {
        const int j =
            std::clamp(int(std::floor((ReduceOffset(theta) + 90.0) / width)), 0, classes - 1);
        ++counts[std::size_t(j)];
    }
    std::int64_t squares = 0;
    for (std::int64_t count : counts) squares += count * count;
    return squares;
}

SymmetryChi2 SymmetryChi2Of(const std::vector<double>& offsetsDegrees) {
    const int N = int(offsetsDegrees.size());
    SymmetryChi2 test;
    test.classes = SymmetryClassesFor(N);
    // Σ (O_j − N/k)² / (N/k) = k Σ O_j² / N − N.
    const long double squares = SquaredClassCounts(offsetsDegrees, test.classes);
    test.chi2 = double(test.classes * squares / N - N);
    return test;
}

int ImbalanceOf(const std::vector<EllipseInDegrees>& ellipses) {
    const StrainLocation mean = HarmonicMeanOf(ellipses);
    int A = 0, B = 0, C = 0, D = 0;
    for (const EllipseInDegrees& e : ellipses) {
        const bool below = ReduceOffset(e.phiDegrees - mean.phiDegrees) <= 0.0;
        if (e.R >= mean.R) {
            (below ? A : B) += 1;
        } else {
            (below ? C : D) += 1;
        }
    }
    return std::abs(A - B) + std::abs(C - D);
}

SymmetryTests SymmetryTestsOf(const std::vector<EllipseInDegrees>& ellipses, StrainLocation strain,
                              std::uint32_t seed, int sets) {
    const std::vector<EllipseInDegrees> pre = RetroDeformedEllipses(ellipses, strain);
    std::vector<double> offsets;
    for (const EllipseInDegrees& e : pre) offsets.push_back(e.phiDegrees);
    SymmetryTests tests;
    tests.chi2 = SymmetryChi2Of(offsets);
    const NullSet observed{.estimated = true,
                           .squares = SquaredClassCounts(offsets, tests.chi2.classes),
                           .imbalance = ImbalanceOf(ellipses),
                           .tie = RandomStream(seed, kSymmetryNullStreams).Next()};
    tests.index.Isym = 1.0 - double(observed.imbalance) / double(ellipses.size());
    const std::vector<NullSet> null =
        SimulatedSets(RatiosForNull(pre), EllipseToVector(strain.R, strain.phiDegrees * kDegree),
                      seed, sets, tests.chi2.classes);
    tests.null.sets = sets;
    for (const NullSet& set : null) tests.null.failed += !set.estimated;
    if (TooManyFailed(tests.null.failed, sets)) {
        tests.chi2.p = tests.index.p = std::numeric_limits<double>::quiet_NaN();
        return tests;
    }
    tests.chi2.p = MonteCarloP(null, observed, [](const NullSet& s) { return s.squares; });
    tests.index.p = MonteCarloP(null, observed, [](const NullSet& s) { return s.imbalance; });
    return tests;
}

}  // namespace varnel::methods
