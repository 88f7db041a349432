#pragma once

#include <array>
#include <stdexcept>
#include <string>
#include <vector>

#include "ellipsoid/section_plane.h"

namespace varnel::ellipsoid {

/// The 2-D strain of one section: R ≥ 1 and φ in degrees from the strike towards the dip.
struct SectionStrain {
    std::string name;
    Plane plane;
    double R = 1.0;
    double phiDegrees = 0.0;
};

/// Sections that leave no ellipsoid to report, with the reason in English.
class SectionsRefused : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// Flinn's k = (X/Y − 1) / (Y/Z − 1), Lode's ν = (2 ln Y − ln X − ln Z) / (ln X − ln Z) and
/// Nadai's ε_s = √((ε1 − ε2)² + (ε2 − ε3)² + (ε3 − ε1)²) / √3, ε = ln X, ln Y, ln Z.
struct EllipsoidShape {
    double k = 0.0;
    double nu = 0.0;
    double epsS = 0.0;
};

EllipsoidShape ShapeOf(double X, double Y, double Z);

/// A principal axis of the ellipsoid: its length (XYZ = 1) and its line. Its direction is
/// undefined where another axis has its length (any line in their plane would do): the line is
/// then one of them and `defined` false.
struct PrincipalAxis {
    double length = 1.0;
    Line line;
    bool defined = true;
};

/// The symmetric matrix Q of the ellipsoid xᵀ Q x = 1 (det Q = 1), row by row.
using EllipsoidMatrix = std::array<std::array<double, 3>, 3>;

/// The ellipsoid that fits the sections best. For a sphere (X = Y = Z) k and ν are NaN, being
/// undefined, and no axis has a defined direction; where Y = Z (prolate) k is infinite.
struct EllipsoidFit {
    EllipsoidMatrix Q{};
    std::array<PrincipalAxis, 3> axes;  // X ≥ Y ≥ Z
    EllipsoidShape shape;
    /// The hyperbolic distance ln R of the strain between each section's measured ellipse and
    /// the ellipsoid's section in its plane, in the order of the sections.
    std::vector<double> misfits;
    /// √(Σ misfit² / number of sections): zero when the sections are sections of one ellipsoid.
    double incompatibility = 0.0;
    /// True when closer fits would be ever flatter ellipsoids, with no best one: the fit is then
    /// held at X/Z = (largest section R)² (e¹ at least), and stands a little beyond it.
    bool held = false;
};

/// The ellipsoid whose sections come closest to the measured ones: the homogeneous linear
/// least-squares solution of P_jᵀ Q P_j = k_j S_j (the smallest right singular vector), refined
/// by minimising Σ misfit² over ellipsoids of unit volume, from that start and from the sphere.
/// Cost and memory grow linearly with the sections. Throws SectionsRefused for fewer than three
/// sections, a dip outside 0–90°, a ratio below 1 or not finite, planes that leave the
/// ellipsoid undetermined (fewer than three orientations) and a fit whose X/Z exceeds 10⁴,
/// beyond which it is not determined to working precision.
EllipsoidFit FitEllipsoid(const std::vector<SectionStrain>& sections);

/// The ellipsoid's section in `plane` as a 2-D strain (R, φ from the strike towards the dip).
SectionStrain SectionOf(const EllipsoidMatrix& Q, Plane plane);

}  // namespace varnel::ellipsoid
