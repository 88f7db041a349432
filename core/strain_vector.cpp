#include "core/strain_vector.h"

#include <cmath>

#include "core/checked_math.h"

namespace varnel {

namespace {

// Below this share of its own terms a numerator or denominator of the tangent form has lost
// most of its digits to cancellation (P and Q both vanish where Rs·R → 1 or Rs → 1 at ±45°).
constexpr long double kCancellationLimit = 1e-6L;

bool HasCancelled(long double value, long double termA, long double termB) {
    return std::fabs(value) < kCancellationLimit * (std::fabs(termA) + std::fabs(termB));
}

// Ratio of the strained ellipse from its shape tensor: with X and Y of the tangent form,
// sinh(ln R′) = √(X² + Y²) / (4·R·Rs), which has no cancellation near R′ = R or R′ = 1.
long double StableSuperposedRatio(long double X, long double Y, long double R, long double Rs) {
    const long double sinhLogRatio = std::hypot(X, Y) / (4.0L * R * Rs);
    return std::exp(std::asinh(sinhLogRatio));
}

// θ′ within |Y| / (2|X|) of ±90° (X < 0) is stored to about 1e-16 of a radian, so tan θ′ of the
// stored angle is off by 2e-16 · |X| / |Y| of itself: below this share it is off by more than a
// millionth (a far strain nearly across a long ellipse). Closer cases keep the tangent form, so
// that a fabric within 1e-5° of the strain axis keeps every bit; a coaxial pair (Y = 0) is exact.
constexpr long double kLostTangent = 2e-10L;

bool TangentIsLost(long double X, long double Y) {
    return X < 0.0L && Y != 0.0L && std::fabs(Y) < kLostTangent * std::fabs(X);
}

// A matrix of rounded doubles whose determinant is within this share of Σ mij² (about the
// smallest over the largest singular value) is singular to the precision of its entries.
constexpr long double kSingularDeterminant = 1e-14L;

}  // namespace

StrainVector EllipseToVector(double R, double phi) {
    const long double twoPhi = 2.0L * phi;
    return EllipseToVectorOf(R, std::cos(twoPhi), std::sin(twoPhi));
}

StrainVector EllipseToVectorOf(double R, long double cosTwoPhi, long double sinTwoPhi) {
    const long double logR = CheckedLog(R);
    return {StoreDouble(logR * cosTwoPhi), StoreDouble(logR * sinTwoPhi)};
}

Ellipse VectorToEllipse(StrainVector v) {
    const long double length =
        std::sqrt(static_cast<long double>(v.x1) * v.x1 + static_cast<long double>(v.x2) * v.x2);
    return {CheckedExp(length), StoreDouble(0.5L * std::atan2(static_cast<long double>(v.x2),
                                                              static_cast<long double>(v.x1)))};
}

double VectorLength(StrainVector v) {
    return StoreDouble(
        std::sqrt(static_cast<long double>(v.x1) * v.x1 + static_cast<long double>(v.x2) * v.x2));
}

StrainVector AddVectors(StrainVector a, StrainVector b) {
    return {StoreDouble(static_cast<long double>(a.x1) + b.x1),
            StoreDouble(static_cast<long double>(a.x2) + b.x2)};
}

StrainVector MeanVector(const StrainVector* vectors, int count) {
    StrainVector sum;
    for (int k = 1; k <= count; ++k) sum = AddVectors(sum, vectors[k]);
    return {StoreDouble(CheckedDivide(sum.x1, count)), StoreDouble(CheckedDivide(sum.x2, count))};
}

StrainVector NormalizeVector(StrainVector v) {
    const double length = VectorLength(v);
    return {StoreDouble(CheckedDivide(v.x1, length)), StoreDouble(CheckedDivide(v.x2, length))};
}

Matrix2 Invert2x2(const Matrix2& M) {
    // M⁻¹ = adj(M) / det(M). A determinant that is small on the scale of the matrix itself
    // belongs to a singular matrix, whose inverse divides by zero.
    const long double a = M.m11, b = M.m12, c = M.m21, d = M.m22;
    const long double exact = a * d - b * c;
    const bool singular =
        std::fabs(exact) <= kSingularDeterminant * (a * a + b * b + c * c + d * d);
    const double det = singular ? 0.0 : StoreDouble(exact);
    return {StoreDouble(CheckedDivide(M.m22, det)), StoreDouble(CheckedDivide(-M.m12, det)),
            StoreDouble(CheckedDivide(-M.m21, det)), StoreDouble(CheckedDivide(M.m11, det))};
}

SymmetricEigen SymmetricEigen2(const Matrix2& M) {
    const long double a = M.m11, b = M.m21, d = M.m22;
    // D = √((a − d)² + (2b)²); λ = (a + d ± D) / 2
    const double D = StoreDouble(std::sqrt((a - d) * (a - d) + (2.0L * b) * (2.0L * b)));
    SymmetricEigen result;
    result.lambda1 = StoreDouble((a + d + D) / 2.0L);
    result.lambda2 = StoreDouble((a + d - D) / 2.0L);
    if (b == 0.0L) {
        // Already diagonal: the eigenvectors are the axes, the larger eigenvalue's first when
        // m11 ≥ m22 (the limit of the general formula as m21 → 0 from above).
        const StrainVector xAxis{1.0, 0.0}, yAxis{0.0, 1.0};
        result.eigenvectorOfLambda1 = a >= d ? xAxis : yAxis;
        result.eigenvectorOfLambda2 = a >= d ? yAxis : xAxis;
        return result;
    }
    // e(λ) = normalise((a − d ∓ D) / (2b), 1): the second component is always positive.
    result.eigenvectorOfLambda2 =
        NormalizeVector({StoreDouble(CheckedDivide(a - d - D, 2.0L * b)), 1.0});
    result.eigenvectorOfLambda1 =
        NormalizeVector({StoreDouble(CheckedDivide(a - d + D, 2.0L * b)), 1.0});
    return result;
}

Ellipse SuperposeStrain(double Rs_in, double R_in, double theta) {
    const long double Rs = Rs_in, R = R_in;
    const long double Rs2 = Rs * Rs, R2 = R * R;
    // Y = 2·Rs·(R² − 1)·sin 2θ;  X = (Rs² − 1)(R² + 1) + (Rs² + 1)(R² − 1)·cos 2θ
    const long double Y = 2.0L * Rs * (R2 - 1.0L) * std::sin(2.0L * theta);
    const long double X =
        (Rs2 - 1.0L) * (R2 + 1.0L) + (Rs2 + 1.0L) * (R2 - 1.0L) * std::cos(2.0L * theta);
    const double thetaPrime = StoreDouble(0.5L * std::atan2(Y, X));

    // Tangent form of the ratio: R′² = P / Q with A = tan² θ′, B = tan² θ.
    const long double tanThetaPrime = std::tan(static_cast<long double>(thetaPrime));
    const long double tanTheta = std::tan(static_cast<long double>(theta));
    const long double A = tanThetaPrime * tanThetaPrime, B = tanTheta * tanTheta;
    const long double pPlus = A * (R2 * B + 1.0L), pMinus = Rs2 * (R2 + B);
    const long double qPlus = Rs2 * A * (R2 + B), qMinus = R2 * B + 1.0L;
    const long double pExact = pPlus - pMinus, qExact = qPlus - qMinus;
    if (HasCancelled(pExact, pPlus, pMinus) || HasCancelled(qExact, qPlus, qMinus)) {
        return {StoreDouble(StableSuperposedRatio(X, Y, R, Rs)), thetaPrime};
    }
    if (TangentIsLost(X, Y)) return {StoreDouble(StableSuperposedRatio(X, Y, R, Rs)), thetaPrime};
    const double P = StoreDouble(pExact), Q = StoreDouble(qExact);
    return {StoreDouble(CheckedSqrt(CheckedDivide(P, Q))), thetaPrime};
}

}  // namespace varnel
