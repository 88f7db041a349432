#include "core/objective.h"

#include "core/checked_math.h"

namespace varnel {

void ComputePreVectors(AnalysisState& state) {
    for (int k = 1; k <= state.DataCount; ++k) {
        state.PreVectors[k] = EllipseToVector(state.RPre[k], state.PhiPre[k]);
    }
}

StrainVector MeanPreVector(const AnalysisState& state) {
    return MeanVector(state.PreVectors.data(), state.DataCount);
}

Matrix2 ComputeMomentMatrix(const AnalysisState& state) {
    // S = (1 / (N − 1)) Σ p pᵀ, about the origin; each partial sum is stored as a double.
    double sum11 = 0.0, sum22 = 0.0, sum12 = 0.0;
    for (int k = 1; k <= state.DataCount; ++k) {
        const long double x1 = state.PreVectors[k].x1, x2 = state.PreVectors[k].x2;
        sum11 = StoreDouble(sum11 + x1 * x1);
        sum22 = StoreDouble(sum22 + x2 * x2);
        sum12 = StoreDouble(sum12 + x1 * x2);
    }
    const long double divisor = state.DataCount - 1;
    Matrix2 S;
    S.m11 = StoreDouble(CheckedDivide(sum11, divisor));
    S.m12 = StoreDouble(CheckedDivide(sum12, divisor));
    S.m21 = S.m12;
    S.m22 = StoreDouble(CheckedDivide(sum22, divisor));
    return S;
}

double TSquaredOfStrain(AnalysisState& state, StrainVector x) {
    // Retro-deform each ellipse by the trial strain: remove the ratio R_s along its long axis.
    const Ellipse strain = VectorToEllipse(x);
    const double inverseRatio = StoreDouble(1.0L / strain.R);
    for (int k = 1; k <= state.DataCount; ++k) {
        const double angleToAxis =
            StoreDouble(static_cast<long double>(state.PhiPost[k]) - strain.phi);
        const Ellipse pre = SuperposeStrain(inverseRatio, state.RPost[k], angleToAxis);
        state.RPre[k] = pre.R;
        state.PhiPre[k] = StoreDouble(static_cast<long double>(pre.phi) + strain.phi);
    }
    ComputePreVectors(state);

    // T² = N · mᵀ S⁻¹ m
    const StrainVector m = MeanPreVector(state);
    const Matrix2 inverse = Invert2x2(ComputeMomentMatrix(state));
    const long double m1 = m.x1, m2 = m.x2;
    const double q = StoreDouble(m1 * (m1 * inverse.m11 + m2 * inverse.m21) +
                                 m2 * (m1 * inverse.m12 + m2 * inverse.m22));
    return StoreDouble(static_cast<long double>(state.DataCount) * q);
}

double StrainObjective(AnalysisState& state, StrainVector point) {
    return TSquaredOfStrain(state, point);
}

}  // namespace varnel
