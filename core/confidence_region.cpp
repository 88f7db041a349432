#include "core/confidence_region.h"

#include <cmath>
#include <limits>
#include <numbers>

#include "core/checked_math.h"
#include "core/objective.h"

namespace varnel {

namespace {

constexpr long double kPi = std::numbers::pi_v<long double>;

const std::array<double, kMaxData + 1>& QuantileTable(const AnalysisState& state,
                                                      ConfidenceLevel level) {
    switch (level) {
        case ConfidenceLevel::Level39:
            return state.FQuantile39;
        case ConfidenceLevel::Level50:
            return state.FQuantile50;
        case ConfidenceLevel::Level95:
            break;
    }
    return state.FQuantile95;
}

void Widen(ValueRange& range, double value) {
    range.min = value < range.min ? value : range.min;
    range.max = value > range.max ? value : range.max;
}

constexpr ValueRange kEmptyRange{1e10, -1e10};

}  // namespace

bool IsUsableQuantile(double quantile) { return std::isfinite(quantile) && quantile > 0.0; }

bool HasUsableQuantile(const AnalysisState& state, ConfidenceLevel level) {
    const int N = state.DataCount;
    return N >= kMinQuantileN && N <= kMaxData && IsUsableQuantile(QuantileTable(state, level)[N]);
}

void ComputePreConfidenceRegion(AnalysisState& state, ConfidenceLevel level) {
    const int N = state.DataCount;
    // Without a usable quantile the region shrinks to its centre, and the ranges are
    // withdrawn afterwards (ComputeConfidenceResults).
    const double quantile = QuantileTable(state, level)[N];
    const long double F = IsUsableQuantile(quantile) ? quantile : 0.0L;
    // K = 2(N − 1) / (N (N − 2)) · F: the Hotelling T² bound divided by N.
    const long double K =
        CheckedDivide(CheckedDivide((N - 1) * 2.0L, N), static_cast<long double>(N - 2)) * F;
    const SymmetricEigen eigen = SymmetricEigen2(ComputeMomentMatrix(state));
    const double A = StoreDouble(CheckedSqrt(eigen.lambda1 * K));
    const double B = StoreDouble(CheckedSqrt(eigen.lambda2 * K));
    const StrainVector m = MeanPreVector(state);

    // Sample (v − m)ᵀ M⁻¹ (v − m) = K at t = 5°, 10°, … 360°.
    const StrainVector& e1 = eigen.eigenvectorOfLambda1;
    const StrainVector& e2 = eigen.eigenvectorOfLambda2;
    for (int i = 1; i <= kRegionPoints; ++i) {
        const long double t = 5.0L * i * (kPi / 180.0L);
        const long double u = std::cos(t) * A, w = std::sin(t) * B;
        state.PreRegion[i] = {StoreDouble(e2.x1 * w + e1.x1 * u + m.x1),
                              StoreDouble(e2.x2 * w + e1.x2 * u + m.x2)};
    }
}

void ComputePostConfidenceRegion(AnalysisState& state) {
    // Apply the estimated strain (ratio R_s, not its inverse) to each region point.
    const Ellipse strain = VectorToEllipse(state.StrainEstimate);
    for (int i = 1; i <= kRegionPoints; ++i) {
        const Ellipse point = VectorToEllipse(state.PreRegion[i]);
        const Ellipse strained = SuperposeStrain(
            strain.R, point.R, StoreDouble(static_cast<long double>(point.phi) - strain.phi));
        state.PostRegion[i] = EllipseToVector(
            strained.R, StoreDouble(static_cast<long double>(strained.phi) + strain.phi));
    }
}

void ComputeRegionRanges(AnalysisState& state) {
    state.X1Range = kEmptyRange;
    state.X2Range = kEmptyRange;
    for (int i = 1; i <= kRegionPoints; ++i) {
        Widen(state.X1Range, state.PostRegion[i].x1);
        Widen(state.X2Range, state.PostRegion[i].x2);
    }
    // A box holding the origin strictly inside in both coordinates contains every orientation.
    const bool x1Straddles = state.X1Range.min * state.X1Range.max < 0.0;
    const bool x2Straddles = state.X2Range.min * state.X2Range.max < 0.0;
    if (x1Straddles && x2Straddles) {
        const double nan = std::numeric_limits<double>::quiet_NaN();
        state.RRange = {nan, nan};
        state.PhiRange = {nan, nan};
        return;
    }
    state.RRange = kEmptyRange;
    state.PhiRange = kEmptyRange;
    for (int i = 1; i <= kRegionPoints; ++i) {
        const StrainVector& v = state.PostRegion[i];
        Widen(state.RRange, CheckedExp(VectorLength(v)));
        Widen(state.PhiRange, StoreDouble(0.5L * std::atan2(static_cast<long double>(v.x2),
                                                            static_cast<long double>(v.x1))));
    }
    state.PhiRange.min = StoreDouble(state.PhiRange.min * 180.0L / kPi);
    state.PhiRange.max = StoreDouble(state.PhiRange.max * 180.0L / kPi);
}

void ComputeConfidenceResults(AnalysisState& state, ConfidenceLevel level) {
    ComputePreConfidenceRegion(state, level);
    ComputePostConfidenceRegion(state);
    ComputeRegionRanges(state);
    if (!HasUsableQuantile(state, level)) {
        const double nan = std::numeric_limits<double>::quiet_NaN();
        state.X1Range = state.X2Range = state.RRange = state.PhiRange = {nan, nan};
    }
}

std::string RangesUnavailableReason(const AnalysisState& state) {
    if (std::isnan(state.X1Range.min)) {
        return "finv.dat holds no quantile for N = " + std::to_string(state.DataCount) +
               " at this level, so no range is known.";
    }
    if (std::isnan(state.RRange.min)) {
        return "The region at this level reaches zero strain, so R and φ have no bounds.";
    }
    return {};
}

}  // namespace varnel
