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
/// of their moment matrix, because the determinant of the rounded S has lost its digits.
inline constexpr long double kPrincipalFrameBelow = 1e-10L;

/// Vectors whose smallest moment across their principal axis is at most this share of the
/// moment along it lie on one line through the origin: their moment matrix is singular.
inline constexpr long double kSingularShare = 1e-24L;

/// T² = N · mᵀ S⁻¹ m of vectors[1 … count], m their mean and S = MomentMatrixOf. A singular S
/// (vectors on one line through the origin) divides by zero, a zero S is 0/0.
double TSquaredOfVectors(const StrainVector* vectors, int count);

}  // namespace varnel
