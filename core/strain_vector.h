#pragma once

namespace varnel {

/// Log-strain vector of an ellipse or a strain: x1 = ln R · cos 2φ, x2 = ln R · sin 2φ.
struct StrainVector {
    double x1 = 0.0;
    double x2 = 0.0;
    friend bool operator==(const StrainVector&, const StrainVector&) = default;
};

/// An ellipse: axial ratio R (long over short axis) and long-axis orientation φ in radians.
struct Ellipse {
    double R = 0.0;
    double phi = 0.0;
};

/// An ellipse as it is read and shown: axial ratio R and long-axis orientation in degrees.
struct EllipseInDegrees {
    double R = 1.0;
    double phiDegrees = 0.0;
};

/// 2×2 matrix, row by row.
struct Matrix2 {
    double m11 = 0.0, m12 = 0.0, m21 = 0.0, m22 = 0.0;
};

/// Eigen-decomposition of a symmetric 2×2 matrix: λ1 ≥ λ2, each with its unit eigenvector,
/// whose second component is positive.
struct SymmetricEigen {
    double lambda1 = 0.0;
    double lambda2 = 0.0;
    StrainVector eigenvectorOfLambda2;
    StrainVector eigenvectorOfLambda1;
};

// Every function below computes in extended precision and stores its results as doubles.
// Each throws VarnelError with the runtime's floating-point message where its arithmetic faults.

/// (ln R · cos 2φ, ln R · sin 2φ); φ in radians. R = 0 divides by zero, R < 0 is invalid.
StrainVector EllipseToVector(double R, double phi);

/// EllipseToVector with cos 2φ and sin 2φ at hand in extended precision: (ln R · cos 2φ,
/// ln R · sin 2φ), the same bits.
StrainVector EllipseToVectorOf(double R, long double cosTwoPhi, long double sinTwoPhi);

/// R = exp(|v|), φ = ½ atan2(x2, x1) in −π/2 … π/2; the zero vector gives (1, 0).
Ellipse VectorToEllipse(StrainVector v);

/// √(x1² + x2²).
double VectorLength(StrainVector v);

/// (a.x1 + b.x1, a.x2 + b.x2).
StrainVector AddVectors(StrainVector a, StrainVector b);

/// Mean of vectors[1 … count]: summed in order with AddVectors, each component then divided by
/// count; count = 0 is an invalid operation (0/0).
StrainVector MeanVector(const StrainVector* vectors, int count);

/// v / |v|; the zero vector is an invalid operation.
StrainVector NormalizeVector(StrainVector v);

/// Inverse by the adjugate over det = m11·m22 − m12·m21. A singular matrix divides by zero, and
/// so does one whose |det| is at most 1e-14 of Σ mij² (singular to the rounding of its entries).
Matrix2 Invert2x2(const Matrix2& M);

/// Eigenvalues and unit eigenvectors of a symmetric matrix; reads m11, m21 and m22.
/// An already diagonal matrix (m21 = 0) gives the coordinate axes.
SymmetricEigen SymmetricEigen2(const Matrix2& M);

/// Applies a strain of ratio Rs along the reference axis to an ellipse of ratio R whose long
/// axis makes the angle θ (radians) with that axis: returns the new ratio R′ and angle θ′
/// in −π/2 … π/2, by the tangent form of the superposition equations.
Ellipse SuperposeStrain(double Rs, double R, double theta);

}  // namespace varnel
