#pragma once

#include "core/strain_vector.h"

namespace varnel {

/// S = (1 / (N − 1)) Σ p pᵀ over vectors[1 … count], about the origin, each partial sum stored
/// as a double; count = 1 divides by zero.
Matrix2 MomentMatrixOf(const StrainVector* vectors, int count);

/// det S / (s11² + s22² + 2·s12²) of a symmetric S in extended precision: for a moment matrix,
/// λ1·λ2 / (λ1² + λ2²), close to λ2 / λ1 when that is small.
long double NearSingularity(const Matrix2& S);

/// Where NearSingularity falls to this, T² of the vectors is evaluated in the principal frame
/// of their moment matrix: N · mᵀ S⁻¹ m through the rounded S and its rounded inverse loses
/// about 1e-16 / NearSingularity of its value (1e-7 at 1e-9, enough to lift T² above its
/// bound N − 1).
inline constexpr long double kPrincipalFrameBelow = 2e-8L;

/// Vectors whose smallest moment across their principal axis is at most this share of the
/// moment along it lie on one line through the origin: their moment matrix is singular.
inline constexpr long double kSingularShare = 1e-24L;

/// Angle (radians) of the axis of the larger eigenvalue of the symmetric matrix
/// (s11, s12; s12, s22): ½ · atan2(2·s12, s11 − s22).
long double PrincipalAxisAngle(long double s11, long double s12, long double s22);

/// Sums of N vectors p in a frame turned by an angle α: a = p·(cos α, sin α) along the axis,
/// b = p·(−sin α, cos α) across it.
struct FrameMoments {
    long double sumA = 0.0L, sumB = 0.0L;      // Σa, Σb
    long double A = 0.0L, B = 0.0L, C = 0.0L;  // Σa², Σab, Σb²
};

/// The moments of vectors[1 … count] in the frame turned by `angle`, summed in extended
/// precision.
FrameMoments FrameMomentsOf(const StrainVector* vectors, int count, long double angle);

/// (N − 1) · (μa² C − 2 μa μb B + μb² A) / (A C − B²), μ = (Σa, Σb) / N: the quotient q of
/// T² = N · q in any frame. Tests nothing: the caller has judged A C − B².
long double FrameQuotient(const FrameMoments& f, int count);

/// Whether frame moments belong to vectors on one line through the origin (every vector zero
/// included): A C − B² ≤ kSingularShare · A².
bool FrameIsSingular(const FrameMoments& f);

/// Whether the moment matrix of vectors[1 … count] is singular as TSquaredOfVectors judges it
/// (vectors on one line through the origin, or all zero), so that their T² does not exist;
/// fewer than two vectors have none. Throws nothing.
bool MomentMatrixIsSingular(const StrainVector* vectors, int count);

/// Vectors whose covariance about their mean has a smallest eigenvalue at most this share of its
/// largest lie on one line as far as the estimation can tell: no strain is then better than
/// another. Estimates the simplex leaves short of the minimum in a thin valley (measured at
/// shares up to 7.5e-7, up to 50 % off in R_s) are caught by their T² (kCertifiedTSquared) and
/// finished by Newton steps; the wrong estimates that T² does not give away were all measured at
/// shares below 2e-20.
/// 1e-10 lies far above them and above data on a line up to 1e-9 of their spread (5.5e-16 at
/// most), and far below fabrics within ±0.1° of one axis (1.8e-6 and above), three ellipses
/// within ±1.1° (2.8e-8) and the examples and ordinary synthetic sets (0.0097 and above).
inline constexpr long double kUndeterminedShare = 1e-10L;

/// Whether the covariance of vectors[1 … count] about their mean is singular: all of them equal,
/// or its eigenvalues, found in its principal frame from deviations summed in extended precision,
/// at most kUndeterminedShare apart. Then T² = N − 1 wherever S is regular, and no strain is
/// better than another. Fewer than two vectors have no covariance. Throws nothing.
bool CovarianceIsSingular(const StrainVector* vectors, int count);

/// T² = N · mᵀ S⁻¹ m of vectors[1 … count], m their mean and S = MomentMatrixOf. A singular S
/// (vectors on one line through the origin) divides by zero, a zero S is 0/0.
double TSquaredOfVectors(const StrainVector* vectors, int count);

}  // namespace varnel
