#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "core/strain_vector.h"

namespace varnel {

/// The objective a minimiser evaluates: a function of the point alone, which may throw
/// VarnelError.
using ObjectiveFunction = std::function<double(StrainVector)>;

/// A triangle of vertices (indices 0 … 2 stand for vertices 1 … 3) with their values.
struct Simplex {
    std::array<StrainVector, 3> vertex;
    std::array<double, 3> value{};
};

/// Tries (1 − α)·z + α·vertex w, z the centroid of the other vertices; replaces vertex w,
/// its value and the vertex sum when the trial is strictly better. Counts one evaluation.
double SimplexTry(Simplex& simplex, StrainVector& vertexSum, int w, std::int32_t& count,
                  double alpha, const ObjectiveFunction& f);

/// Downhill simplex (reflect, expand, contract, shrink) until the relative spread of the values
/// is below tolerance (true) or 5000 evaluations are counted (false); the simplex is left in
/// place as the last step left it. Passes that repeat an earlier cycle of passes bit for bit are
/// counted without evaluating the objective again, up to the last cycle before the limit.
bool SimplexMinimize(Simplex& simplex, double tolerance, std::int32_t& count,
                     const ObjectiveFunction& f);

/// Evaluates the three vertices, minimises with tolerance 1e-6 and copies the final
/// vertices back into the triangle.
bool MinimizeFromTriangle(std::array<StrainVector, 3>& triangle, const ObjectiveFunction& f);

/// A + t · (B − A).
StrainVector LinePoint(StrainVector A, StrainVector B, double t);

/// Result of a line search: the point and its value.
struct LineSearchResult {
    StrainVector point;
    double value = 0.0;
};

/// Golden-section search of f on the segment A … B, its ends never evaluated; ends on the
/// relative bracket test, or when the bracket is narrower than 1e-12 or after 200 passes.
LineSearchResult GoldenSectionSearch(StrainVector A, StrainVector B, const ObjectiveFunction& f);

}  // namespace varnel
