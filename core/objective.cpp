#include "core/objective.h"

#include <cassert>

#include "core/checked_math.h"

namespace varnel {

namespace {

// T² = N · mᵀ S⁻¹ m of vectors[1 … count].
double TSquaredOfPreVectors(const StrainVector* vectors, int count) {
    const StrainVector m = MeanVector(vectors, count);
    const Matrix2 inverse = Invert2x2(MomentMatrixOf(vectors, count));
    const long double m1 = m.x1, m2 = m.x2;
    const double q = StoreDouble(m1 * (m1 * inverse.m11 + m2 * inverse.m21) +
                                 m2 * (m1 * inverse.m12 + m2 * inverse.m22));
    return StoreDouble(static_cast<long double>(count) * q);
}

}  // namespace

PreStrainBuffers PreStrainBuffersOf(AnalysisState& state) {
    return {state.RPre, state.PhiPre, state.PreVectors};
}

void ComputePreVectors(AnalysisState& state) {
    for (int k = 1; k <= state.DataCount; ++k) {
        state.PreVectors[k] = EllipseToVector(state.RPre[k], state.PhiPre[k]);
    }
}

StrainVector MeanPreVector(const AnalysisState& state) {
    return MeanVector(state.PreVectors.data(), state.DataCount);
}

Matrix2 MomentMatrixOf(const StrainVector* vectors, int count) {
    // S = (1 / (N − 1)) Σ p pᵀ, about the origin; each partial sum is stored as a double.
    double sum11 = 0.0, sum22 = 0.0, sum12 = 0.0;
    for (int k = 1; k <= count; ++k) {
        const long double x1 = vectors[k].x1, x2 = vectors[k].x2;
        sum11 = StoreDouble(sum11 + x1 * x1);
        sum22 = StoreDouble(sum22 + x2 * x2);
        sum12 = StoreDouble(sum12 + x1 * x2);
    }
    const long double divisor = count - 1;
    Matrix2 S;
    S.m11 = StoreDouble(CheckedDivide(sum11, divisor));
    S.m12 = StoreDouble(CheckedDivide(sum12, divisor));
    S.m21 = S.m12;
    S.m22 = StoreDouble(CheckedDivide(sum22, divisor));
    return S;
}

Matrix2 ComputeMomentMatrix(const AnalysisState& state) {
    return MomentMatrixOf(state.PreVectors.data(), state.DataCount);
}

double TSquaredInto(const AnalysisState& state, StrainVector x, const PreStrainBuffers& out) {
    const int N = state.DataCount;
    assert(int(out.ratios.size()) > N && int(out.orientations.size()) > N &&
           int(out.vectors.size()) > N);
    // Retro-deform each ellipse by the trial strain: remove the ratio R_s along its long axis.
    const Ellipse strain = VectorToEllipse(x);
    const double inverseRatio = StoreDouble(1.0L / strain.R);
    for (int k = 1; k <= N; ++k) {
        const double angleToAxis =
            StoreDouble(static_cast<long double>(state.PhiPost[k]) - strain.phi);
        const Ellipse pre = SuperposeStrain(inverseRatio, state.RPost[k], angleToAxis);
        out.ratios[k] = pre.R;
        out.orientations[k] = StoreDouble(static_cast<long double>(pre.phi) + strain.phi);
    }
    for (int k = 1; k <= N; ++k) {
        out.vectors[k] = EllipseToVector(out.ratios[k], out.orientations[k]);
    }
    return TSquaredOfPreVectors(out.vectors.data(), N);
}

double TSquaredOfStrain(AnalysisState& state, StrainVector x) {
    return TSquaredInto(state, x, PreStrainBuffersOf(state));
}

double StrainObjective(AnalysisState& state, StrainVector point) {
    return TSquaredOfStrain(state, point);
}

}  // namespace varnel
