#include "methods/fabric_tests.h"

#include <algorithm>
#include <atomic>
#include <boost/math/distributions/chi_squared.hpp>
#include <boost/math/distributions/fisher_f.hpp>
#include <cmath>
#include <cstdlib>
#include <numbers>

#include "core/strain_vector.h"
#include "core/worker_pool.h"
#include "methods/estimators.h"
#include "methods/random_stream.h"

namespace varnel::methods {

namespace {

constexpr double kRadian = std::numbers::pi / 180.0;
constexpr int kClassesForMany = 18;
constexpr int kManyData = 90;

// Offsets d_i in [−90°, 90°) about the vector mean and which ratios reach the harmonic mean,
// with what the reflected sets need: sin 2d_i and Σ cos 2d_i, which a reflection keeps.
struct OffsetSet {
    std::vector<double> offsets, sin2;
    std::vector<std::uint8_t> large;
    double cosSum = 0.0;
    int largeCount = 0;
};

// |A − B| + |C − D| from the number of offsets at or below zero, among all and among the large
// ratios. Integer, so the reflected sets compare with the observed one exactly.
int Imbalance(const OffsetSet& set, int belowAll, int belowLarge) {
    const int A = belowLarge, B = set.largeCount - belowLarge;
    const int C = belowAll - belowLarge, D = int(set.offsets.size()) - set.largeCount - C;
    return std::abs(A - B) + std::abs(C - D);
}

// Whether x in (−180°, 180°] lies at or below zero once reduced into [−90°, 90°).
inline int AtOrBelowZero(double x) { return (int(x <= 0.0) & int(x >= -90.0)) | int(x >= 90.0); }

// ±1 for datum `bit` of a word of flips: −1 where the bit is set.
inline double SignOf(std::uint64_t word, std::size_t bit) {
    return 1.0 - 2.0 * double((word >> bit) & 1u);
}

// Imbalance of reflected set j: d_i → ±d_i, then measured about the reflected set's own vector
// mean δ = ½ atan2(Σ ±sin 2d_i, Σ cos 2d_i). Loops without branches over 64 data a word, and
// four running sums, in a fixed order.
int ReflectedImbalance(const OffsetSet& set, std::uint32_t seed, int j,
                       std::vector<std::uint64_t>& flips) {
    RandomStream random(seed, kReflectionStreams + std::uint32_t(j));
    for (std::uint64_t& word : flips) word = random.Next();
    const std::size_t n = set.offsets.size();
    double sums[4] = {0.0, 0.0, 0.0, 0.0};
    for (std::size_t first = 0; first < n; first += 64) {
        const std::uint64_t word = flips[first / 64];
        for (std::size_t i = first; i < std::min(n, first + 64); ++i) {
            sums[i % 4] += SignOf(word, i - first) * set.sin2[i];
        }
    }
    const double sinSum = (sums[0] + sums[1]) + (sums[2] + sums[3]);
    const double delta = 0.5 * std::atan2(sinSum, set.cosSum) / kRadian;
    int belowAll = 0, belowLarge = 0;
    for (std::size_t first = 0; first < n; first += 64) {
        const std::uint64_t word = flips[first / 64];
        for (std::size_t i = first; i < std::min(n, first + 64); ++i) {
            const int below = AtOrBelowZero(SignOf(word, i - first) * set.offsets[i] - delta);
            belowAll += below;
            belowLarge += below & set.large[i];
        }
    }
    return Imbalance(set, belowAll, belowLarge);
}

// Reflected sets whose imbalance is at least the observed one, counted on all cores; each set's
// flips come from its own stream, so the count does not depend on the threads.
int CountAsImbalanced(const OffsetSet& set, int observed, std::uint32_t seed) {
    const int parts = ParallelWidth();
    std::vector<int> counts(std::size_t(parts), 0);
    std::vector<std::vector<std::uint64_t>> flips(
        std::size_t(parts), std::vector<std::uint64_t>((set.offsets.size() + 63) / 64));
    std::atomic<int> next{0};
    RunInParallel(parts, [&](int part) {
        for (int j; (j = next.fetch_add(1)) < kReflectedSets;) {
            counts[std::size_t(part)] +=
                ReflectedImbalance(set, seed, j, flips[std::size_t(part)]) >= observed;
        }
    });
    int total = 0;
    for (int c : counts) total += c;
    return total;
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

std::vector<double> RetroDeformedOffsets(const std::vector<Ellipse>& ellipses,
                                         StrainLocation strain) {
    std::vector<double> offsets;
    offsets.reserve(ellipses.size());
    const double inverseRatio = 1.0 / strain.R;
    for (const Ellipse& e : ellipses) {
        // Remove the strain along its long axis; θ′ is measured from that axis.
        const varnel::Ellipse pre =
            SuperposeStrain(inverseRatio, e.R, (e.phiDegrees - strain.phiDegrees) * kRadian);
        offsets.push_back(ReduceOffset(pre.phi / kRadian));
    }
    return offsets;
}

SymmetryChi2 SymmetryChi2Of(const std::vector<double>& offsetsDegrees) {
    const int N = int(offsetsDegrees.size());
    SymmetryChi2 test;
    test.classes = N >= kManyData ? kClassesForMany : std::max(3, N / 5);
    std::vector<int> observed(std::size_t(test.classes), 0);
    const double width = 180.0 / test.classes;
    for (double theta : offsetsDegrees) {
        const int j =
            std::clamp(int(std::floor((ReduceOffset(theta) + 90.0) / width)), 0, test.classes - 1);
        ++observed[std::size_t(j)];
    }
    const long double expected = static_cast<long double>(N) / test.classes;
    long double chi2 = 0;
    for (int count : observed) chi2 += (count - expected) * (count - expected) / expected;
    test.chi2 = double(chi2);
    const boost::math::chi_squared distribution(test.classes - 1);
    test.p = boost::math::cdf(boost::math::complement(distribution, test.chi2));
    return test;
}

SymmetryIndex SymmetryIndexOf(const std::vector<Ellipse>& ellipses, std::uint32_t seed) {
    const StrainLocation mean = HarmonicMeanOf(ellipses);
    OffsetSet set;
    int belowAll = 0, belowLarge = 0;
    for (const Ellipse& e : ellipses) {
        const double d = ReduceOffset(e.phiDegrees - mean.phiDegrees);
        const bool large = e.R >= mean.R;
        set.offsets.push_back(d);
        set.sin2.push_back(std::sin(2.0 * d * kRadian));
        set.cosSum += std::cos(2.0 * d * kRadian);
        set.large.push_back(large);
        set.largeCount += large;
        belowAll += d <= 0.0;
        belowLarge += large && d <= 0.0;
    }
    const int observed = Imbalance(set, belowAll, belowLarge);
    SymmetryIndex index;
    index.Isym = 1.0 - double(observed) / double(ellipses.size());
    index.p = (1.0 + CountAsImbalanced(set, observed, seed)) / (1.0 + kReflectedSets);
    return index;
}

}  // namespace varnel::methods
