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

/// The boost of x, in double precision: sinh is good to about one unit in the last place.
LorentzBoost LorentzBoostOf(StrainVector x);

}  // namespace varnel
