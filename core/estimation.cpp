#include "core/estimation.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>
#include <optional>
#include <vector>

#include "core/checked_math.h"
#include "core/estimate_newton.h"
#include "core/fast_objective.h"
#include "core/messages.h"
#include "core/minimizers.h"
#include "core/objective.h"
#include "core/t_squared.h"
#include "core/worker_pool.h"

namespace varnel {

namespace {

constexpr int kAttempts = 11;
// Side of the starting triangle, in extended precision. A restart scales its draws by the side
// held as a double.
constexpr long double kTriangleSide = 0.1L;
constexpr double kRestartSide = static_cast<double>(kTriangleSide);
// Data converted by one thread at a time: a few hundred microseconds of work.
constexpr int kDataConvertedPerPart = 1024;

}  // namespace

double RandomGenerator::Draw() {
    seed_ = seed_ * 134775813u + 1u;  // arithmetic modulo 2³²
    return seed_ / 4294967296.0;
}

DoubledAngles ComputePostVectors(AnalysisState& state) {
    const int count = std::max(state.DataCount, 0);
    DoubledAngles angles{std::vector<long double>(std::size_t(count)),
                         std::vector<long double>(std::size_t(count))};
    RunRangesInParallel(count, kDataConvertedPerPart, [&](int begin, int end) {
        for (int i = begin; i < end; ++i) {
            const long double twoPhi = 2.0L * state.PhiPost[i + 1];
            angles.cos[std::size_t(i)] = std::cos(twoPhi);
            angles.sin[std::size_t(i)] = std::sin(twoPhi);
            state.PostVectors[i + 1] = EllipseToVectorOf(
                state.RPost[i + 1], angles.cos[std::size_t(i)], angles.sin[std::size_t(i)]);
        }
    });
    return angles;
}

StrainVector MeanPostVector(const AnalysisState& state) {
    return MeanVector(state.PostVectors.data(), state.DataCount);
}

ObjectiveFunction ReferenceObjective(AnalysisState& state) {
    return [&state](StrainVector point) { return StrainObjective(state, point); };
}

StrainVector InitialStrainGuess(const AnalysisState& state, const ObjectiveFunction& f) {
    const StrainVector m = MeanPostVector(state);
    const StrainVector A{0.0, 0.0};
    const StrainVector B{StoreDouble(1.2L * m.x1), StoreDouble(1.2L * m.x2)};
    return GoldenSectionSearch(A, B, f).point;
}

StrainVector MinimizeStrain(StrainVector s, ProgressSink* progress, const ObjectiveFunction& f) {
    std::array<StrainVector, 3> triangle{
        s, {StoreDouble(s.x1 - kTriangleSide), s.x2}, {s.x1, StoreDouble(s.x2 - kTriangleSide)}};
    if (progress) progress->SetMaximum(kAttempts);
    RandomGenerator random;
    random.Reset(0);
    for (int attempt = 1; attempt <= kAttempts; ++attempt) {
        if (progress) progress->SetPosition(attempt);
        if (MinimizeFromTriangle(triangle, f)) break;
        // Restart on the vertex the failed run left in position 1, with fresh offsets.
        const StrainVector& first = triangle[0];
        const double r1 = random.Draw();
        triangle[1] = {StoreDouble(first.x1 + kRestartSide * static_cast<long double>(r1)),
                       first.x2};
        const double r2 = random.Draw();
        triangle[2] = {first.x1,
                       StoreDouble(first.x2 + kRestartSide * static_cast<long double>(r2))};
    }
    if (progress) progress->SetPosition(0);
    return triangle[0];
}

void StoreEstimate(AnalysisState& state, StrainVector estimate) {
    state.StrainEstimate = estimate;
    const Ellipse strain = VectorToEllipse(estimate);
    StoreEstimatedEllipse(state, strain.R,
                          StoreDouble(strain.phi * 180.0L / std::numbers::pi_v<long double>));
}

void EstimateStrain(AnalysisState& state, ProgressSink* progress) {
    const DoubledAngles angles = ComputePostVectors(state);
    // The minimisers evaluate the fast path; it leaves the pre-strain data alone, which the
    // reference evaluation at the estimate below fills.
    const FastObjective fast(state, angles);
    const ObjectiveFunction f = [&](StrainVector point) { return fast.Evaluate(state, point); };
    const StrainVector estimate = MinimizeStrain(InitialStrainGuess(state, f), progress, f);
    // The last trial point of the minimiser is not the estimate: leave the pre-strain data of
    // the estimate itself for the confidence region and the Pre-strain plot.
    const double tSquared = TSquaredOfStrain(state, estimate);
    // Two data have T² = 1 at every strain; the Open command reports them as too few instead.
    if (state.DataCount >= 3 && !(tSquared <= kCertifiedTSquared)) {
        FinishEstimate(state, estimate, tSquared);
        return;
    }
    RefuseUndeterminedEstimate(state);
    StoreEstimate(state, estimate);
}

void FinishEstimate(AnalysisState& state, StrainVector estimate, double tSquared) {
    const StrainVector starts[] = {estimate, MeanPostVector(state), {0.0, 0.0}};
    for (const StrainVector start : starts) {
        const std::optional<StrainVector> root =
            FindMeanPreVectorRoot(state, start, kCertifiedTSquared);
        if (!root) continue;
        // The reference evaluation at the root leaves its pre-strain data in the state.
        const double rootTSquared = TSquaredOfStrain(state, *root);
        if (!(rootTSquared <= kCertifiedTSquared)) continue;
        try {
            RefuseUndeterminedEstimate(state);
        } catch (const VarnelError&) {
            continue;
        }
        StoreEstimate(state, *root);
        return;
    }
    // No start reached the root: refuse as the minimisation left it.
    TSquaredOfStrain(state, estimate);
    RefuseUndeterminedEstimate(state);
    throw MinimumNotReached(tSquared);
}

MinimumNotReached::MinimumNotReached(double tSquared)
    : VarnelError(MinimumNotReachedText(tSquared, '.')), tSquared_(tSquared) {}

std::string MinimumNotReachedText(double tSquared, char decimalSeparator) {
    std::string number = "NAN";
    if (!std::isnan(tSquared)) {
        char text[64];  // locale-independent, unlike printf under the desktop program's locale
        const std::to_chars_result end =
            std::to_chars(text, text + sizeof text, tSquared, std::chars_format::general, 3);
        number.assign(text, end.ptr);
        for (char& c : number) {
            if (c == '.') c = decimalSeparator;
        }
    }
    return kMinimumNotReachedPrefix + number + kMinimumNotReachedSuffix;
}

void RefuseUndeterminedEstimate(const AnalysisState& state) {
    // Two data always lie on one line; the Open command reports them as too few instead.
    if (state.DataCount < 3) return;
    // Observed vectors on one line anywhere make T² at zero strain N − 1, as the F test of no
    // strain finds; pre vectors on one line at the estimate leave it undetermined.
    if (CovarianceIsSingular(state.PostVectors.data(), state.DataCount) ||
        CovarianceIsSingular(state.PreVectors.data(), state.DataCount)) {
        ThrowDivisionByZero();
    }
}

}  // namespace varnel
