#pragma once

#include "core/strain_vector.h"

namespace varnel {

/// A pure strain of log-strain vector x acting on the hyperboloid of unit-area shapes
/// (cosh ρ, sinh ρ · cos 2φ, sinh ρ · sin 2φ): the Lorentz boost of rapidity |x| along the unit
/// vector u = x / |x|. The zero vector is the identity, along u = (1, 0).
struct LorentzBoost {
    double u1 = 1.0, u2 = 0.0;
    double coshMinusOne = 0.0;  // cosh |x| − 1 = 2 sinh²(|x| / 2), without cancellation
    double sinh = 0.0;          // sinh |x|
};

/// Beyond this cosh |x| · cosh ρ, a boost of a Cartesian point (cosh ρ, …) loses more than
/// about 1e-13 to cancellation, and the polar forms serve instead. Ordinary data and their
/// estimates stay below it (ln R and |x| under 3 give at most 100).
inline constexpr double kCancellingBoost = 1e3;

/// The boost of x, in double precision: sinh is good to about one unit in the last place.
LorentzBoost LorentzBoostOf(StrainVector x);

}  // namespace varnel
