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

// |A − B| + |C − D| of offsets d_i about the set's own mean and ratios split at H. Integer, so
// the reflected sets compare with the observed one exactly.
int Imbalance(const std::vector<double>& offsets, const std::vector<bool>& large) {
    int ab = 0, cd = 0;
    for (std::size_t i = 0; i < offsets.size(); ++i) {
        const int side = offsets[i] <= 0.0 ? 1 : -1;
        (large[i] ? ab : cd) += side;
    }
    return std::abs(ab) + std::abs(cd);
}

// Imbalance of reflected set j: d_i → ±d_i, then re-centred on the reflected set's own vector
// mean δ = ½ atan2(Σ ±sin 2d_i, Σ cos 2d_i).
int ReflectedImbalance(const std::vector<double>& offsets, const std::vector<double>& sin2,
                       long double cosSum, const std::vector<bool>& large, std::uint32_t seed,
                       int set, std::vector<double>& scratch) {
    RandomStream random(seed, kReflectionStreams + std::uint32_t(set));
    long double sinSum = 0;
    std::uint64_t bits = 0;
    for (std::size_t i = 0; i < offsets.size(); ++i) {
        if (i % 64 == 0) bits = random.Next();
        const bool flip = (bits >> (i % 64)) & 1u;
        scratch[i] = flip ? -offsets[i] : offsets[i];
        sinSum += flip ? -sin2[i] : sin2[i];
    }
    const double delta = double(0.5L * std::atan2(sinSum, cosSum)) / kRadian;
    for (double& d : scratch) d = ReduceOffset(d - delta);
    return Imbalance(scratch, large);
}

// Reflected sets whose imbalance is at least the observed one, counted on all cores; each set's
// flips come from its own stream, so the count does not depend on the threads.
int CountAsImbalanced(const std::vector<double>& offsets, const std::vector<bool>& large,
                      int observed, std::uint32_t seed) {
    std::vector<double> sin2;
    long double cosSum = 0;
    for (double d : offsets) {
        sin2.push_back(std::sin(2.0 * d * kRadian));
        cosSum += std::cos(2.0 * d * kRadian);
    }
    const int parts = ParallelWidth();
    std::vector<int> counts(std::size_t(parts), 0);
    std::vector<std::vector<double>> scratch(std::size_t(parts), std::vector<double>(offsets.size()));
    std::atomic<int> next{0};
    RunInParallel(parts, [&](int part) {
        for (int set; (set = next.fetch_add(1)) < kReflectedSets;) {
            if (ReflectedImbalance(offsets, sin2, cosSum, large, seed, set, scratch[part]) >= observed) {
                ++counts[std::size_t(part)];
            }
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

std::vector<double> RetroDeformedOffsets(const std::vector<Ellipse>& ellipses, StrainLocation strain) {
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
        const int j = std::clamp(int(std::floor((ReduceOffset(theta) + 90.0) / width)), 0, test.classes - 1);
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
    std::vector<double> offsets;
    std::vector<bool> large;
    for (const Ellipse& e : ellipses) {
        offsets.push_back(ReduceOffset(e.phiDegrees - mean.phiDegrees));
        large.push_back(e.R >= mean.R);
    }
    const int observed = Imbalance(offsets, large);
    SymmetryIndex index;
    index.Isym = 1.0 - double(observed) / double(ellipses.size());
    const int asImbalanced = CountAsImbalanced(offsets, large, observed, seed);
    index.p = (1.0 + asImbalanced) / (1.0 + kReflectedSets);
    return index;
}

}  // namespace varnel::methods
