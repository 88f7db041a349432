#include "core/t_squared.h"

#include <cmath>

#include "core/checked_math.h"

namespace varnel {

namespace {

// T² in the principal frame of S. With t along the eigenvector of the larger eigenvalue of S
// and n across it, a = p·t and b = p·n are summed in extended precision straight from the
// vectors, so the small moment across the axis keeps the digits that the determinant of the
// rounded S has lost to cancellation:
//   A = Σa², B = Σab, C = Σb²,  T² = N (N − 1) (μa² C − 2 μa μb B + μb² A) / (A C − B²).
// (A C − B²) / A² is then the smallest over the largest eigenvalue: about 1e-32 for vectors on
// one line, which differ from it only by the rounding of their components.
double TSquaredInPrincipalFrame(const StrainVector* vectors, int count, const Matrix2& S) {
    const long double angle =
        0.5L * std::atan2(2.0L * S.m12, static_cast<long double>(S.m11) - S.m22);
    const long double t1 = std::cos(angle), t2 = std::sin(angle);
    long double sumA = 0.0L, sumB = 0.0L, A = 0.0L, B = 0.0L, C = 0.0L;
    for (int k = 1; k <= count; ++k) {
        const long double a = vectors[k].x1 * t1 + vectors[k].x2 * t2;
        const long double b = vectors[k].x2 * t1 - vectors[k].x1 * t2;
        sumA += a;
        sumB += b;
        A += a * a;
        B += a * b;
        C += b * b;
    }
    if (A == 0.0L) ThrowInvalidOperation();  // every vector zero: S = 0, and S⁻¹ is 0/0
    const long double det = A * C - B * B;
    if (det <= kSingularShare * A * A) ThrowDivisionByZero();
    const long double n = count, ma = sumA / n, mb = sumB / n;
    const double q =
        StoreDouble((n - 1.0L) * (ma * ma * C - 2.0L * ma * mb * B + mb * mb * A) / det);
    return StoreDouble(n * q);
}

}  // namespace

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

long double NearSingularity(const Matrix2& S) {
    const long double a = S.m11, b = S.m12, d = S.m22;
    const long double scale = a * a + d * d + 2.0L * b * b;
    return scale > 0.0L ? (a * d - b * b) / scale : 0.0L;
}

double TSquaredOfVectors(const StrainVector* vectors, int count) {
    const StrainVector m = MeanVector(vectors, count);
    const Matrix2 S = MomentMatrixOf(vectors, count);
    if (NearSingularity(S) <= kPrincipalFrameBelow) {
        return TSquaredInPrincipalFrame(vectors, count, S);
    }
    // T² = N · mᵀ S⁻¹ m
    const Matrix2 inverse = Invert2x2(S);
    const long double m1 = m.x1, m2 = m.x2;
    const double q = StoreDouble(m1 * (m1 * inverse.m11 + m2 * inverse.m21) +
                                 m2 * (m1 * inverse.m12 + m2 * inverse.m22));
    return StoreDouble(static_cast<long double>(count) * q);
}

}  // namespace varnel
