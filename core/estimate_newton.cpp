#include "core/estimate_newton.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/newton_root.h"
#include "core/objective.h"
#include "core/strain_vector.h"
#include "core/t_squared.h"
#include "core/varnel_error.h"

namespace varnel {

namespace {

// Halvings of one Newton step before it counts as failed.
constexpr int kHalvingLimit = 40;
// Relative step of the central differences: the error of the Jacobian is of its square, far
// below what the quadratic convergence near the root needs.
constexpr double kDifferenceStep = 1e-6;

double Length(StrainVector v) { return std::hypot(v.x1, v.x2); }

// The mean pre vector of the reference path as a NewtonProblem: the Jacobian by central
// differences, steps taken in the strain's own coordinates, a trial accepted where |m| shrinks.
class ReferenceMeanPreVector {
public:
    explicit ReferenceMeanPreVector(const AnalysisState& state)
        : state_(state),
          ratios_(state.DataCount + 1),
          orientations_(state.DataCount + 1),
          vectors_(state.DataCount + 1) {}

    struct Value {
        StrainVector mean;
        double tSquared;
        bool valid;
    };

    // The mean pre vector and T² at one strain, not valid where the reference path fails.
    Value At(StrainVector x) {
        Value value{{0.0, 0.0}, 0.0, false};
        try {
            value.tSquared = TSquaredInto(state_, x, {ratios_, orientations_, vectors_});
        } catch (const VarnelError&) {
            return value;
        }
        value.mean = MeanVector(vectors_.data(), state_.DataCount);
        value.valid = std::isfinite(value.mean.x1) && std::isfinite(value.mean.x2) &&
                      std::isfinite(value.tSquared);
        return value;
    }

    bool Valid(const Value& value) const { return value.valid; }

    bool IsRoot(const Value& value) const { return value.tSquared <= kNewtonTargetTSquared; }

    std::optional<Matrix2> Jacobian(StrainVector x, const Value&) {
        double J[2][2];
        for (int j = 0; j < 2; ++j) {
            const double h = kDifferenceStep * std::max(1.0, Length(x));
            StrainVector plus = x, minus = x;
            (j == 0 ? plus.x1 : plus.x2) += h;
            (j == 0 ? minus.x1 : minus.x2) -= h;
            const Value up = At(plus), down = At(minus);
            if (!up.valid || !down.valid) return std::nullopt;
            J[0][j] = (up.mean.x1 - down.mean.x1) / (2 * h);
            J[1][j] = (up.mean.x2 - down.mean.x2) / (2 * h);
        }
        return Matrix2{J[0][0], J[0][1], J[1][0], J[1][1]};
    }

    StrainVector Move(StrainVector x, StrainVector v, double scale) const {
        return {x.x1 + scale * v.x1, x.x2 + scale * v.x2};
    }

    bool Improves(const Value& there, const Value& here) const {
        return Length(there.mean) < Length(here.mean);
    }

private:
    const AnalysisState& state_;
    std::vector<double> ratios_;
    std::vector<double> orientations_;
    std::vector<StrainVector> vectors_;
};

// The pre vector of the post vector p retro-deformed by the strain x, through shape tensors of
// determinant 1: C = exp([[p1, p2], [p2, −p1]]), the pre tensor P = F⁻¹ C F⁻¹ with
// F⁻¹ = exp(−½ [[x1, x2], [x2, −x1]]), and P = cosh r I + (sinh r / r) [[v1, v2], [v2, −v1]].
// No difference of angles enters, so it holds where the reference path's orientations are too
// large for one.
StrainVector TensorPreVector(StrainVector p, StrainVector x) {
    using L = long double;
    const L pr = std::sqrt(L(p.x1) * p.x1 + L(p.x2) * p.x2);
    const L pShare = pr == 0 ? 1.0L : std::sinh(pr) / pr;
    const L c11 = std::cosh(pr) + pShare * p.x1, c22 = std::cosh(pr) - pShare * p.x1,
            c12 = pShare * p.x2;
    const L xr = std::sqrt(L(x.x1) * x.x1 + L(x.x2) * x.x2) / 2;
    const L xShare = xr == 0 ? 0.5L : std::sinh(xr) / (2 * xr);
    const L f11 = std::cosh(xr) - xShare * x.x1, f22 = std::cosh(xr) + xShare * x.x1,
            f12 = -xShare * x.x2;
    // G = F⁻¹ C, then P = G F⁻¹.
    const L g11 = f11 * c11 + f12 * c12, g12 = f11 * c12 + f12 * c22;
    const L g21 = f12 * c11 + f22 * c12, g22 = f12 * c12 + f22 * c22;
    const L p11 = g11 * f11 + g12 * f12, p22 = g21 * f12 + g22 * f22, p12 = g11 * f12 + g12 * f22;
    const L d1 = (p11 - p22) / 2, d2 = p12;
    const L sinhR = std::sqrt(d1 * d1 + d2 * d2);
    const L share = sinhR == 0 ? 1.0L : std::asinh(sinhR) / sinhR;
    return {static_cast<double>(d1 * share), static_cast<double>(d2 * share)};
}

// T² of the pre vectors of the strain x by TensorPreVector, or infinity where it fails.
double TensorTSquared(const AnalysisState& state, StrainVector x) {
    std::vector<StrainVector> vectors(state.DataCount + 1);
    for (int k = 1; k <= state.DataCount; ++k) {
        vectors[k] = TensorPreVector(state.PostVectors[k], x);
    }
    try {
        const double tSquared = TSquaredOfVectors(vectors.data(), state.DataCount);
        return std::isnan(tSquared) ? HUGE_VAL : tSquared;
    } catch (const VarnelError&) {
        return HUGE_VAL;
    }
}

}  // namespace

std::optional<StrainVector> FindMeanPreVectorRoot(const AnalysisState& state, StrainVector start,
                                                  double acceptedTSquared) {
    ReferenceMeanPreVector m(state);
    const NewtonSearch search =
        FindNewtonRoot(m, start, {.stepLimit = kNewtonStepLimit, .halvingLimit = kHalvingLimit});
    if (search.ending == NewtonEnding::Invalid) return std::nullopt;
    if (search.value.tSquared <= acceptedTSquared &&
        TensorTSquared(state, search.x) <= acceptedTSquared) {
        return search.x;
    }
    return std::nullopt;
}

}  // namespace varnel
