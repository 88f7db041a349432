#include "core/t_squared.h"

#include <cmath>

#include "core/checked_math.h"

namespace varnel {

// In the principal frame of S, with t along the eigenvector of the larger eigenvalue and n
// across it, a = p·t and b = p·n are summed in extended precision straight from the vectors,
// so the small moment across the axis keeps the digits that the determinant of the rounded S
// has lost to cancellation. (A C − B²) / A² is then the smallest over the largest eigenvalue:
// about 1e-32 for vectors on one line, which differ from it only by the rounding of their
// components.

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

long double PrincipalAxisAngle(long double s11, long double s12, long double s22) {
    return 0.5L * std::atan2(2.0L * s12, s11 - s22);
}

FrameMoments FrameMomentsOf(const StrainVector* vectors, int count, long double angle) {
    const long double t1 = std::cos(angle), t2 = std::sin(angle);
    FrameMoments f;
    for (int k = 1; k <= count; ++k) {
        const long double a = vectors[k].x1 * t1 + vectors[k].x2 * t2;
        const long double b = vectors[k].x2 * t1 - vectors[k].x1 * t2;
        f.sumA += a;
        f.sumB += b;
        f.A += a * a;
        f.B += a * b;
        f.C += b * b;
    }
    return f;
}

long double FrameQuotient(const FrameMoments& f, int count) {
    // T² = N (N − 1) (μa² C − 2 μa μb B + μb² A) / (A C − B²)
    const long double det = f.A * f.C - f.B * f.B;
    const long double n = count, ma = f.sumA / n, mb = f.sumB / n;
    return (n - 1.0L) * (ma * ma * f.C - 2.0L * ma * mb * f.B + mb * mb * f.A) / det;
}

bool FrameIsSingular(const FrameMoments& f) {
    return f.A * f.C - f.B * f.B <= kSingularShare * f.A * f.A;
}

namespace {

// Whether the rounded S is too near to singular for its own determinant.
bool NeedsPrincipalFrame(const Matrix2& S) { return NearSingularity(S) <= kPrincipalFrameBelow; }

FrameMoments PrincipalFrameMoments(const StrainVector* vectors, int count, const Matrix2& S) {
    return FrameMomentsOf(vectors, count, PrincipalAxisAngle(S.m11, S.m12, S.m22));
}

}  // namespace

bool MomentMatrixIsSingular(const StrainVector* vectors, int count) {
    if (count < 2) return true;
    const Matrix2 S = MomentMatrixOf(vectors, count);
    if (!NeedsPrincipalFrame(S)) return false;
    const FrameMoments f = PrincipalFrameMoments(vectors, count, S);
    return f.A == 0.0L || FrameIsSingular(f);
}

bool CovarianceIsSingular(const StrainVector* vectors, int count) {
    if (count < 2) return true;
    long double mean1 = 0.0L, mean2 = 0.0L;
    for (int k = 1; k <= count; ++k) {
        mean1 += vectors[k].x1;
        mean2 += vectors[k].x2;
    }
    mean1 /= count;
    mean2 /= count;
    // The covariance's own frame, then its moments there: (A C − B²) / A² is λ2 / λ1.
    long double c11 = 0.0L, c12 = 0.0L, c22 = 0.0L;
    for (int k = 1; k <= count; ++k) {
        const long double d1 = vectors[k].x1 - mean1, d2 = vectors[k].x2 - mean2;
        c11 += d1 * d1;
        c12 += d1 * d2;
        c22 += d2 * d2;
    }
    const long double angle = PrincipalAxisAngle(c11, c12, c22);
    const long double t1 = std::cos(angle), t2 = std::sin(angle);
    long double A = 0.0L, B = 0.0L, C = 0.0L;
    for (int k = 1; k <= count; ++k) {
        const long double d1 = vectors[k].x1 - mean1, d2 = vectors[k].x2 - mean2;
        const long double a = d1 * t1 + d2 * t2, b = d2 * t1 - d1 * t2;
        A += a * a;
        B += a * b;
        C += b * b;
    }
    return !(A > 0.0L) || A * C - B * B <= kUndeterminedShare * A * A;
}

double TSquaredOfVectors(const StrainVector* vectors, int count) {
    const StrainVector m = MeanVector(vectors, count);
    const Matrix2 S = MomentMatrixOf(vectors, count);
    if (NeedsPrincipalFrame(S)) {
        const FrameMoments f = PrincipalFrameMoments(vectors, count, S);
        if (f.A == 0.0L) ThrowInvalidOperation();  // every vector zero: S = 0, and S⁻¹ is 0/0
        if (FrameIsSingular(f)) ThrowDivisionByZero();
        const double q = StoreDouble(FrameQuotient(f, count));
        return StoreDouble(static_cast<long double>(count) * q);
    }
    // T² = N · mᵀ S⁻¹ m
    const Matrix2 inverse = Invert2x2(S);
    const long double m1 = m.x1, m2 = m.x2;
    const double q = StoreDouble(m1 * (m1 * inverse.m11 + m2 * inverse.m21) +
                                 m2 * (m1 * inverse.m12 + m2 * inverse.m22));
    return StoreDouble(static_cast<long double>(count) * q);
}

}  // namespace varnel
